#include "clock.h"

namespace {
QDateTime fixedNow;
}

QDateTime Clock::now()
{
    return fixedNow.isValid() ? fixedNow : QDateTime::currentDateTime();
}

void Clock::setFixed(const QDateTime &local)
{
    fixedNow = local;
}
