#pragma once
// Small builders shared by the billing tests: bill lines, settings and a bill
// state with the default item master behind its selectors.

#include "billing/bill_computation.h"
#include "billing/bill_state.h"
#include "billing/bill_window_rules.h"
#include "storage/app_data.h"
#include "storage/cp932.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <cstring>
#include <vector>

inline TReserveData line(uint32_t key, int32_t tanka, int32_t suryou, const char *date = "",
                         const char *room = "", const char *text = "")
{
    TReserveData r{};
    r.Kubun = key;
    r.Tanka = tanka;
    r.Suryou = suryou;
    setFieldText(r.Rsvday, QString::fromUtf8(date));
    setFieldText(r.Room, QString::fromUtf8(room));
    setFieldText(r.Kamoku, QString::fromUtf8(text));
    return r;
}

// Service 10 %, bathing tax 150 per night and 75 per day-use guest; the three
// kinds given as ServiceKubun, Nyutou_Kubun, TaxKubun (0 included, 1 added).
inline TBaseData settings(uint8_t service, uint8_t bath, uint8_t tax)
{
    TBaseData b{};
    b.Service = 10;
    b.Nyutouzei = 150;
    b.DayNyutouzei = 75;
    b.ServiceKubun = service;
    b.Nyutou_Kubun = bath;
    b.TaxKubun = tax;
    return b;
}

inline KamokuLists defaultKamoku()
{
    KamokuLists k;
    seedDefaultKamoku(k);
    return k;
}

inline QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

template <class List> QByteArray listBytes(const List &list)
{
    return QByteArray(reinterpret_cast<const char *>(list.data()),
                      qsizetype(list.size() * sizeof(typename List::value_type)));
}

