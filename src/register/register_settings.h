#pragma once
// The register's settings in the settings file, section "Register":
//
//   RetentionYears=3   years an entry is kept from the day it was made (3 at least)
//   LockMinutes=10     idle minutes after which the open register locks again
//   Age=0, Sex=0, PreviousStay=0, NextStay=0, ArrivalTimes=0
//                      the prefecture's extra fields the inn turns on (1)

#include "register/guest_register.h"

#include <QString>

struct RegisterSettings {
    static constexpr int MinRetentionYears = 3;
    int retentionYears = MinRetentionYears;
    int lockMinutes = 10;
    RegisterFields fields;
};

// Missing or unusable values read as the defaults; a retention under three
// years reads as three (the law's minimum).
RegisterSettings readRegisterSettings(const QString &iniPath);
bool writeRegisterSettings(const QString &iniPath, const RegisterSettings &settings, QString *error);
