#pragma once
// Rules of the basic settings window: the facility settings record as the
// window's controls show it, the record rebuilt from them (all of it or
// nothing), the colour texts and their defaults, the byte limits of every
// text control, and the domains offered for the online reservation service.

#include "storage/records.h"

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>

// Every control of the window as text or selected index (-1: none selected).
// Multi-line texts use LF between lines, as the edit fields hold them.
struct BasicSettingValues {
    QString SisetuName;
    QString ZipCode; // as shown by the masked field: blanks where nothing was typed
    QString Jusyo, TelNo, FaxNo, Daihyou, EMail, URL;
    QString CommentS, CommentR;
    QString Service, Nyutouzei, DayNyutouzei; // value texts of the amount fields
    int ServiceKubun = 0, TaxKubun = 0, Nyutou_Kubun = 0;
    QString Tadashi;
    QString IDCode, Passwd, Acount, Domain;
    int TojiKubun = 0, PaperKubun = 0, FontKubun = 0;
    std::array<QString, 4> Color;    // ColorEdit1 to ColorEdit4
    std::array<QString, 3> FontName; // FontEdit1 to FontEdit3
};

// Byte limits of the text controls, as typed (line breaks count as CR LF).
namespace settinglimits {
inline constexpr int SisetuName = 130;
inline constexpr int Jusyo = 60;
inline constexpr int TelNo = 16;
inline constexpr int FaxNo = 16;
inline constexpr int Daihyou = 40;
inline constexpr int EMail = 60;
inline constexpr int URL = 60;
inline constexpr int Comment = 119;
inline constexpr int Tadashi = 60;
inline constexpr int IDCode = 16;
inline constexpr int Passwd = 16;
inline constexpr int Acount = 16;
inline constexpr int Domain = 32;
} // namespace settinglimits

// Ranges of the amount fields, and the messages that name them.
inline constexpr int ServiceMax = 99;     // サービス料, percent
inline constexpr int NyutouzeiMax = 9999; // 入湯税 per person and night (or day), yen
// The message naming the range of an amount field (Service, Nyutouzei,
// DayNyutouzei by their object names).
QString amountRangeMessage(const QString &field);
// That message for a value text out of the field's range; empty when it is in range.
QString amountRefusal(const QString &field, const QString &text);

// Choices of the drop-downs and radio groups, in index order.
extern const QStringList KubunChoices;   // 料金に含む / 別途徴収
extern const QStringList TaxChoices;     // 内税表示 / 外税表示
extern const QStringList TojiChoices;    // 上閉じ / 左閉じ
extern const QStringList PaperChoices;   // Ａ５ / Ａ４ / Ｂ５
extern const QStringList FontSizeChoices; // 9pt / 11pt
// The domains of the online reservation service offered in the Domain box.
extern const QStringList PresetDomains;

// The controls' contents for a record, as the window shows it on opening.
BasicSettingValues basicSettingValues(const TBaseData &base);
// Zero-fills base and sets every field from the values, or, when a value
// cannot be stored (a colour or amount that is no whole number, a text over
// its field or with characters CP932 cannot hold), leaves base exactly as it
// was and returns the message to show.
QString rebuildBaseData(const BasicSettingValues &values, TBaseData &base);

// A multi-line text as the window counts its bytes: CR LF between lines.
QString withCrLf(const QString &text);

// --- colours (0x00BBGGRR, shown as decimal) ---

// What an empty colour, or one reading 0, is replaced by (ColorEdit1 to 4).
extern const std::array<uint32_t, 4> DefaultColours;
// The message for a colour text that is not a whole number from 0 to
// 16777215; empty when it is one (or empty, which the defaults fill).
QString colourRefusal(const QString &text);
// The text a colour edit (1 to 4) keeps after its check: an empty text or one
// reading 0 becomes the default; anything else stays as it is.
QString checkedColourText(int edit, const QString &text);
// The value of a colour text, false when it is none.
bool readColour(const QString &text, uint32_t *colour);
inline uint32_t colourOf(int red, int green, int blue)
{
    return uint32_t(red & 0xFF) | uint32_t(green & 0xFF) << 8 | uint32_t(blue & 0xFF) << 16;
}
inline int redOf(uint32_t colour) { return int(colour & 0xFF); }
inline int greenOf(uint32_t colour) { return int(colour >> 8 & 0xFF); }
inline int blueOf(uint32_t colour) { return int(colour >> 16 & 0xFF); }
