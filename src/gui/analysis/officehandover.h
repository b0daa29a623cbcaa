#pragma once

// The hand-over of a chart or of text answers to a running presentation program or word
// processor. Where no supported office program can be reached (the usual case here), Attach
// fails and the caller tells the user so. Tests install a scripted hand-over.

#include <memory>

enum class TOfficeProgram { Presentation, WordProcessor };

class TOfficeHandOver {
public:
    virtual ~TOfficeHandOver() = default;
    // Attaches to a running instance; never starts one.
    virtual bool Attach(TOfficeProgram program) = 0;
    // Pastes what is on the clipboard into the attached program.
    virtual void Paste(TOfficeProgram program) = 0;
};

TOfficeHandOver& OfficeHandOver();
std::unique_ptr<TOfficeHandOver> SetOfficeHandOver(std::unique_ptr<TOfficeHandOver> handOver);
