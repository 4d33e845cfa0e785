#pragma once
// A test's program folder of bills: a fresh temporary folder with its backup
// folder, the default item master and the usual settings (service, bathing
// tax and consumption tax switched on).

#include "bill_fixtures.h"
#include "storage/library.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

class StoredBills : public ::testing::Test {
public:
    QTemporaryDir dir;
    AppData data;
    TLibrary lib;

    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        data.ExePath = dir.path() + QLatin1Char('/');
        data.BackupPath = data.ExePath + QStringLiteral("backup/");
        seedDefaultKamoku(data.KamokuList);
        data.BaseData = settings(1, 1, 1);
    }
};
