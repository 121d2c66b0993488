#include <QApplication>
#include <QList>
#include <QTest>

#include <utility>

#include "editors/incoming/incomingssrunner.h"
#include "testregistry.h"

namespace {

QList<std::pair<const char*, TestFactory>>& Registry()
{
    static QList<std::pair<const char*, TestFactory>> registry;
    return registry;
}

} // namespace

int RegisterTest(const char* name, TestFactory factory)
{
    Registry().append({name, std::move(factory)});
    return static_cast<int>(Registry().size());
}

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    // What a page shows is settled before a test reads it.
    IncomingMatchRunner::SetPatience(60'000);
    int failures = 0;
    for (const auto& [name, factory] : Registry()) {
        std::unique_ptr<QObject> test = factory();
        if (QTest::qExec(test.get(), argc, argv) != 0)
            ++failures;
    }
    return failures == 0 ? 0 : 1;
}
