#include "core/base/clock.h"
#include "core/base/profilefile.h"
#include "core/survey/survey.h"
#include "support/testsurvey.h"

#include <QLocale>
#include <QTemporaryDir>

#include <random>

#include <gtest/gtest.h>

// Survey files come from anywhere: the readers must take any bytes without crashing or hanging,
// and either load or refuse with a message.

namespace {

QByteArray RandomBytes(std::mt19937& rng, int size)
{
    // Biased towards the characters that matter to the syntax.
    static const char alphabet[] = "[]=\"|,~\r\n\r\n 0x1Fabc\xE9\xC3\xA9\x80-";
    std::uniform_int_distribution<int> pick(0, 3);
    std::uniform_int_distribution<int> any(0, 255);
    std::uniform_int_distribution<int> syntax(0, sizeof alphabet - 2);
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(pick(rng) == 0 ? any(rng) : alphabet[syntax(rng)]);
    return bytes;
}

void LoadAnyway(const QString& path, const QByteArray& bytes)
{
    WriteBytes(path, bytes);
    TSurvey s;
    try {
        s.Load(path);
    } catch (const ESurveyException& e) {
        EXPECT_FALSE(e.Message().isEmpty());
    }
    s.Renumber();
}

} // namespace

TEST(SurveyRobustness, RandomAndDamagedFiles)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    TScopedClock clock(QDateTime(QDate(2026, 12, 7), QTime(15, 4, 5)));
    QTemporaryDir dir;
    const QString path = dir.filePath("f.orv");
    std::mt19937 rng(20261207);

    // A good file, then every prefix length class and random byte flips of it.
    TSurvey good;
    good.NewSurvey();
    FillFullSurvey(good);
    good.SaveAs(path);
    const QByteArray valid = ReadBytes(path);
    std::uniform_int_distribution<int> offset(0, static_cast<int>(valid.size()) - 1);
    for (int cut = 0; cut < valid.size(); cut += 37)
        LoadAnyway(path, valid.left(cut));
    for (int round = 0; round < 200; ++round) {
        QByteArray damaged = valid;
        for (int k = 0; k < 8; ++k)
            damaged[offset(rng)] = RandomBytes(rng, 1)[0];
        LoadAnyway(path, damaged);
    }
    for (int round = 0; round < 300; ++round) {
        const QByteArray noise = RandomBytes(rng, 1 + round * 7);
        LoadAnyway(path, round % 3 == 0 ? "[Details]\nQuestionCount=3\n" + noise : noise);
        TProfileFile ini;
        ini.Parse(noise);
        ini.WriteText("Details", "Name", QString::fromLatin1(noise.left(40)));
        TProfileFile again;
        again.Parse(ini.ToBytes());
        EXPECT_EQ(again.ReadString("Details", "Name", "?"), ini.ReadString("Details", "Name", "!"));
    }

    // Huge lines, a huge count with no sections, and a count that is not a number.
    LoadAnyway(path, "[Details]\nName=" + QByteArray(8 << 20, 'x') + "\n");
    LoadAnyway(path, "[Details]\nQuestionCount=0x7FFFFFFF\n");
    LoadAnyway(path, "[Details]\nQuestionCount=-5\n");
    LoadAnyway(path, QByteArray(1 << 20, '['));
    LoadAnyway(path, QByteArray(1 << 20, '\n'));
    LoadAnyway(path, QByteArray("\0\0\0[Details]\0=\0", 15));
}
