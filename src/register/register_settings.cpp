#include "register/register_settings.h"

#include "storage/ini_file.h"

#include <algorithm>

namespace {

const QString Section = QStringLiteral("Register");

struct FieldKey {
    const char *key;
    bool RegisterFields::*flag;
};
constexpr FieldKey FieldKeys[] = {{"Age", &RegisterFields::age},
                                  {"Sex", &RegisterFields::sex},
                                  {"PreviousStay", &RegisterFields::previousStay},
                                  {"NextStay", &RegisterFields::nextStay},
                                  {"ArrivalTimes", &RegisterFields::arrivalTimes}};

} // namespace

RegisterSettings readRegisterSettings(const QString &iniPath)
{
    const IniFile ini(iniPath);
    RegisterSettings s;
    const int years = ini.intValue(Section, QStringLiteral("RetentionYears"), s.retentionYears, 0, 100);
    s.retentionYears = std::max(years, RegisterSettings::MinRetentionYears);
    s.lockMinutes = ini.intValue(Section, QStringLiteral("LockMinutes"), s.lockMinutes, 1, 24 * 60);
    for (const FieldKey &f : FieldKeys)
        s.fields.*f.flag = ini.intValue(Section, QLatin1String(f.key), 0, 0, 1) == 1;
    return s;
}

bool writeRegisterSettings(const QString &iniPath, const RegisterSettings &settings, QString *error)
{
    IniFile ini(iniPath);
    ini.setValue(Section, QStringLiteral("RetentionYears"),
                 QString::number(std::max(settings.retentionYears, RegisterSettings::MinRetentionYears)));
    ini.setValue(Section, QStringLiteral("LockMinutes"), QString::number(settings.lockMinutes));
    for (const FieldKey &f : FieldKeys)
        ini.setValue(Section, QLatin1String(f.key), settings.fields.*f.flag ? QStringLiteral("1") : QStringLiteral("0"));
    return ini.save(error);
}
