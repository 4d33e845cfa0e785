#pragma once
// The countries and territories of ISO 3166-1 by their alpha-2 codes (and
// XK, Kosovo, which passports use though the standard leaves it open), with
// the Japanese and English names the register shows for a guest's
// nationality.

#include <QString>

#include <vector>

struct Country {
    QString code;     // "JP"
    QString japanese; // "日本"
    QString english;  // "Japan"
};

// Every country, by code.
const std::vector<Country> &countries();

// The country of a code (upper or lower case, spaces around ignored); null
// for anything else.
const Country *countryByCode(const QString &code);

// The country a text names: its code, its Japanese name or its English name
// (case and spaces around ignored); null when it names none.
const Country *countryByText(const QString &text);
