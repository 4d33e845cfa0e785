#pragma once
// GoogleTest programs that lay out or paint text need a QApplication: one is
// created for the whole program before the first test runs.

#include <QApplication>
#include <gtest/gtest.h>

namespace gui_test {

class Environment : public ::testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "printing_test";
        static char *argv[] = {name, nullptr};
        if (!QApplication::instance())
            new QApplication(argc, argv);
    }
};

inline ::testing::Environment *const registered = ::testing::AddGlobalTestEnvironment(new Environment);

} // namespace gui_test
