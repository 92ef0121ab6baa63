#pragma once

// A file-backed standard settings store and a recorded relaunch, for the
// tests of saving and loading settings backups.

#include "platform/core/Defaults.h"
#include "platform/core/PropertyList.h"
#include "settings/general/RelaunchApp.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace gaugelet::test {

class BackupFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        defaults = std::make_unique<Defaults>(dir.filePath("config/defaults.plist"));
        Defaults::setStandard(defaults.get());
        setRelaunchHooksForTesting(
            RelaunchHooks{[this](const QString& program, const QStringList& arguments) {
                              starts << program;
                              startArguments = arguments;
                              // What the new instance would read.
                              fileAtStart = PropertyList::fromData(readFile(defaults->filePath())).value().toMap();
                              return startSucceeds;
                          },
                          [this] { ++quits; }});
    }

    void TearDown() override
    {
        setRelaunchHooksForTesting(std::nullopt);
        Defaults::setStandard(nullptr);
        defaults.reset();
    }

    // A backup file's bytes holding values.
    static QByteArray backup(const QVariantMap& values, const QVariant& version = qint64(1))
    {
        return PropertyList::toXml(QVariantMap{{"version", version}, {"values", values}});
    }

    QTemporaryDir dir;
    std::unique_ptr<Defaults> defaults;
    QStringList starts;
    QStringList startArguments;
    QVariantMap fileAtStart;
    bool startSucceeds = true;
    int quits = 0;
};

} // namespace gaugelet::test
