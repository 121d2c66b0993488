#pragma once

#include <QObject>

#include <functional>
#include <memory>

// Every QtTest class of a test program registers itself here; the program's
// main runs them all in registration order.
using TestFactory = std::function<std::unique_ptr<QObject>()>;
int RegisterTest(const char* name, TestFactory factory);

#define TARVO_REGISTER_TEST(Class) \
    static const int s_registered##Class = RegisterTest(#Class, [] { return std::make_unique<Class>(); })
