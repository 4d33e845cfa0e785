#include "basic_setting.h"

#include "storage/cp932.h"
#include "storage/text_entry.h"

#include <cstring>

const QStringList KubunChoices = {QStringLiteral("料金に含む"), QStringLiteral("別途徴収")};
const QStringList TaxChoices = {QStringLiteral("内税表示"), QStringLiteral("外税表示")};
const QStringList TojiChoices = {QStringLiteral("上閉じ"), QStringLiteral("左閉じ")};
const QStringList PaperChoices = {QStringLiteral("Ａ５"), QStringLiteral("Ａ４"), QStringLiteral("Ｂ５")};
const QStringList FontSizeChoices = {QStringLiteral("9pt"), QStringLiteral("11pt")};

const QStringList PresetDomains = {
    QStringLiteral("yado.norvel-yoyaku.example"),    QStringLiteral("onsen.norvel-yoyaku.example"),
    QStringLiteral("ryokan.norvel-yoyaku.example"),  QStringLiteral("pension.norvel-yoyaku.example"),
    QStringLiteral("minshuku.norvel-yoyaku.example"), QStringLiteral("hotel.norvel-yoyaku.example"),
    QStringLiteral("lodge.norvel-yoyaku.example"),   QStringLiteral("guest.norvel-yoyaku.example"),
};

const std::array<uint32_t, 4> DefaultColours = {14811135, 15204330, 14811135, 6710886};

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// The text of a stored multi-line field as the edit field holds it.
QString memoText(const QString &stored)
{
    QString t = stored;
    t.replace(kCrLf, QStringLiteral("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return t;
}

// The lines of an edit field, each ended by CR LF: a final line break adds
// no empty line.
QString linesWithCrLf(const QString &text)
{
    if (text.isEmpty())
        return {};
    QStringList lines = text.split(QLatin1Char('\n'));
    if (lines.size() > 1 && lines.last().isEmpty())
        lines.removeLast();
    return lines.join(kCrLf) + kCrLf;
}

int indexOf(uint8_t stored, int count) { return stored < count ? int(stored) : -1; }
uint8_t storedIndex(int index) { return index < 0 || index > 254 ? 255 : uint8_t(index); }

// Reads an amount field's value text (empty counts as 0).
bool readAmount(const QString &text, int32_t *value)
{
    if (text.trimmed().isEmpty()) {
        *value = 0;
        return true;
    }
    bool ok = false;
    *value = text.trimmed().toInt(&ok);
    return ok;
}

// One text field to store: checked against the field, then written.
struct TextField {
    QString caption;
    QString text;
    char *field;
    std::size_t size;
};

} // namespace

QString withCrLf(const QString &text) { return memoText(text).replace(QLatin1Char('\n'), kCrLf); }

BasicSettingValues basicSettingValues(const TBaseData &b)
{
    BasicSettingValues v;
    v.SisetuName = memoText(fieldText(b.SisetuName));
    v.ZipCode = fieldText(b.ZipCode);
    v.Jusyo = fieldText(b.Jusyo);
    v.TelNo = fieldText(b.TelNo);
    v.FaxNo = fieldText(b.FaxNo);
    v.Daihyou = fieldText(b.Daihyou);
    v.EMail = fieldText(b.EMail);
    v.URL = fieldText(b.URL);
    v.CommentS = memoText(fieldText(b.CommentS));
    v.CommentR = memoText(fieldText(b.CommentR));
    v.Service = QString::number(b.Service);
    v.Nyutouzei = QString::number(b.Nyutouzei);
    v.DayNyutouzei = QString::number(b.DayNyutouzei);
    v.ServiceKubun = indexOf(b.ServiceKubun, int(KubunChoices.size()));
    v.TaxKubun = indexOf(b.TaxKubun, int(TaxChoices.size()));
    v.Nyutou_Kubun = indexOf(b.Nyutou_Kubun, int(KubunChoices.size()));
    v.Tadashi = fieldText(b.Tadashi);
    v.IDCode = fieldText(b.IDCode);
    v.Passwd = fieldText(b.Passwd);
    v.Acount = fieldText(b.Acount);
    v.Domain = fieldText(b.Domain);
    v.TojiKubun = indexOf(b.TojiKubun, int(TojiChoices.size()));
    v.PaperKubun = indexOf(b.PaperKubun, int(PaperChoices.size()));
    v.FontKubun = indexOf(b.FontKubun, int(FontSizeChoices.size()));
    v.Color = {QString::number(b.Color1), QString::number(b.Color2), QString::number(b.Color3),
               QString::number(b.Color4)};
    v.FontName = {fieldText(b.FontName1), fieldText(b.FontName2), fieldText(b.FontName3)};
    return v;
}

QString rebuildBaseData(const BasicSettingValues &v, TBaseData &base)
{
    TBaseData b{};
    const TextField texts[] = {
        {QStringLiteral("施設名"), withCrLf(v.SisetuName), b.SisetuName, sizeof b.SisetuName},
        {QStringLiteral("郵便No"), v.ZipCode, b.ZipCode, sizeof b.ZipCode},
        {QStringLiteral("住所"), v.Jusyo, b.Jusyo, sizeof b.Jusyo},
        {QStringLiteral("電話番号"), v.TelNo, b.TelNo, sizeof b.TelNo},
        {QStringLiteral("FAX番号"), v.FaxNo, b.FaxNo, sizeof b.FaxNo},
        {QStringLiteral("代表者名"), v.Daihyou, b.Daihyou, sizeof b.Daihyou},
        {QStringLiteral("請求書のコメント"), linesWithCrLf(memoText(v.CommentS)), b.CommentS, sizeof b.CommentS},
        {QStringLiteral("領収書のコメント"), linesWithCrLf(memoText(v.CommentR)), b.CommentR, sizeof b.CommentR},
        {QStringLiteral("ログインID"), v.IDCode, b.IDCode, sizeof b.IDCode},
        {QStringLiteral("パスワード"), v.Passwd, b.Passwd, sizeof b.Passwd},
        {QStringLiteral("URL"), v.URL, b.URL, sizeof b.URL},
        {QStringLiteral("E-Mail"), v.EMail, b.EMail, sizeof b.EMail},
        {QStringLiteral("アカウント"), v.Acount, b.Acount, sizeof b.Acount},
        {QStringLiteral("ドメイン"), v.Domain, b.Domain, sizeof b.Domain},
        {QStringLiteral("領収書但書"), v.Tadashi, b.Tadashi, sizeof b.Tadashi},
        {QStringLiteral("見出し･名義のフォント"), v.FontName[0], b.FontName1, sizeof b.FontName1},
        {QStringLiteral("明細行のフォント"), v.FontName[1], b.FontName2, sizeof b.FontName2},
        {QStringLiteral("合計行のフォント"), v.FontName[2], b.FontName3, sizeof b.FontName3},
    };
    // Every check comes before the record is touched.
    for (const TextField &t : texts) {
        const QString error = textentry::entryError(t.caption, t.text, int(t.size) - 1);
        if (!error.isEmpty())
            return error;
    }
    uint32_t colour[4];
    for (int i = 0; i < 4; ++i) {
        const QString error = colourRefusal(v.Color[size_t(i)]);
        if (!error.isEmpty())
            return error;
        readColour(checkedColourText(i + 1, v.Color[size_t(i)]), &colour[i]);
    }
    int32_t service = 0, nyutouzei = 0, dayNyutouzei = 0;
    for (const auto &[field, text] : {std::pair{"Service", v.Service}, std::pair{"Nyutouzei", v.Nyutouzei},
                                      std::pair{"DayNyutouzei", v.DayNyutouzei}})
        if (const QString error = amountRefusal(QLatin1String(field), text); !error.isEmpty())
            return error;
    readAmount(v.Service, &service);
    readAmount(v.Nyutouzei, &nyutouzei);
    readAmount(v.DayNyutouzei, &dayNyutouzei);

    for (const TextField &t : texts)
        cp932::setFieldBytes(t.field, t.size, cp932::encode(t.text));
    b.TaxKubun = storedIndex(v.TaxKubun);
    b.Service = service;
    b.Nyutouzei = nyutouzei;
    b.DayNyutouzei = dayNyutouzei;
    b.TojiKubun = storedIndex(v.TojiKubun);
    b.Color1 = colour[0];
    b.Color2 = colour[1];
    b.Color3 = colour[2];
    b.Color4 = colour[3];
    b.PaperKubun = storedIndex(v.PaperKubun);
    b.FontKubun = storedIndex(v.FontKubun);
    b.Nyutou_Kubun = storedIndex(v.Nyutou_Kubun);
    b.ServiceKubun = storedIndex(v.ServiceKubun);
    base = b;
    return {};
}

QString amountRangeMessage(const QString &field)
{
    if (field == QLatin1String("Service"))
        return QStringLiteral("サービス料は0から%1％までの整数で入力してください").arg(ServiceMax);
    return QStringLiteral("入湯税は0円から9,999円までの整数で入力してください");
}

QString amountRefusal(const QString &field, const QString &text)
{
    int32_t v = 0;
    if (readAmount(text, &v) && v >= 0 && v <= (field == QLatin1String("Service") ? ServiceMax : NyutouzeiMax))
        return {};
    return amountRangeMessage(field);
}

bool readColour(const QString &text, uint32_t *colour)
{
    const QString t = text.trimmed();
    if (t.isEmpty() || t.size() > 10)
        return false;
    for (QChar c : t)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    const qulonglong v = t.toULongLong();
    if (v > 0xFFFFFF)
        return false;
    if (colour)
        *colour = uint32_t(v);
    return true;
}

QString colourRefusal(const QString &text)
{
    if (text.trimmed().isEmpty() || readColour(text, nullptr))
        return {};
    return QStringLiteral("色は0から16777215までの整数で入力してください\n（「選択」ボタンで色を選ぶこともできます）");
}

QString checkedColourText(int edit, const QString &text)
{
    uint32_t v = 0;
    if (edit < 1 || edit > 4)
        return text;
    if (text.trimmed().isEmpty() || (readColour(text, &v) && v == 0))
        return QString::number(DefaultColours[size_t(edit - 1)]);
    return text;
}
