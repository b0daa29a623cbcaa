#pragma once

#include "xbase/status.h"

#include <gtest/gtest.h>

// Stops the test with the engine's message when an operation that must succeed fails.
#define ASSERT_OK(expr)                                                                                      \
    do {                                                                                                     \
        const ::xbase::TStatus st_ = (expr);                                                                 \
        ASSERT_TRUE(st_.ok()) << st_.Message().toStdString();                                                \
    } while (0)
