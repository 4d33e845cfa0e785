#pragma once
// The four record types stored in the program directory, byte for byte as on
// disk: packed, little-endian, text fields in CP932 and NUL-terminated.

#include <bit>
#include <cstddef>
#include <cstdint>

static_assert(std::endian::native == std::endian::little,
              "records are read and written as little-endian memory images");

#pragma pack(push, 1)

// One line of one bill (reserve.dat). A bill is every record with its MeiNo.
struct TReserveData {
    uint32_t MeiNo;        // bill number
    char Seisan[11];       // settlement date yyyy/mm/dd, empty while open
    char Regday[11];       // reservation number
    char Rsvday[11];       // date of the line yyyy/mm/dd
    char Name[64];
    char Plan[64];
    char Room[64];
    uint8_t Stay;          // nights in all
    uint8_t Stayx;         // which night the line belongs to
    uint8_t Decide;        // 0 no receipt, 1 Japanese receipt, 2 English receipt
    uint32_t Kubun;        // item key: account code * 1000 + item number
    char Kamoku[128];      // line text
    int32_t Tanka;         // unit price
    int32_t Suryou;        // quantity
};

// One item-master entry (kmk_*.dat).
struct THojoKamoku {
    uint32_t KamokuCode;
    uint32_t HojoCode;
    char Tekiyo[36];       // Japanese name; empty means a blank entry
    char ETekiyo[36];      // English name
    int32_t Tanka;         // default unit price
    uint8_t Keigen;        // 1: sold at the reduced consumption-tax rate (軽減税率); once always 0
    uint8_t Padding[3];
};

// One card receivable of one bill (urikake.dat).
struct TUrikakeData {
    uint32_t MeiNo;
    char Seisan[11];
    char Name[65];
    uint32_t Card;         // 101 * 1000 + item number of the card company
    int32_t Goukei;        // amount charged to the card
};

// The facility settings (base.dat), one record.
struct TBaseData {
    char SisetuName[250];
    char ZipCode[9];
    char Jusyo[61];
    char TelNo[17];
    char FaxNo[17];
    char Daihyou[41];
    char CommentS[122];
    char CommentR[122];
    uint8_t TaxKubun;      // 0 tax included in prices, else added on top
    char IDCode[17];
    char Passwd[17];
    char URL[256];
    char EMail[66];
    int32_t Service;       // service charge in percent
    int32_t Nyutouzei;     // bathing tax per person and night
    uint8_t TojiKubun;     // 0 top binding, 1 left binding
    uint8_t Reserved1[3];
    uint32_t Color3;       // colours are 0x00BBGGRR
    uint32_t Color2;
    uint32_t Color1;
    uint32_t Color4;
    char Acount[17];
    char Domain[33];
    uint8_t PaperKubun;    // 0 A5, 1 A4, 2 B5
    uint8_t FontKubun;     // 1 = 11 pt, else 9 pt
    int32_t DayNyutouzei;  // bathing tax per day-use guest
    char Tadashi[64];      // receipt proviso
    char FontName1[128];
    char FontName2[128];
    char FontName3[128];
    uint8_t Nyutou_Kubun;  // 0 bathing tax included in the charge, else separate
    uint8_t ServiceKubun;  // 0 service charge included, else separate
    uint8_t Reserved2[2];
};

#pragma pack(pop)

static_assert(sizeof(TReserveData) == 372);
static_assert(offsetof(TReserveData, MeiNo) == 0);
static_assert(offsetof(TReserveData, Seisan) == 4);
static_assert(offsetof(TReserveData, Regday) == 15);
static_assert(offsetof(TReserveData, Rsvday) == 26);
static_assert(offsetof(TReserveData, Name) == 37);
static_assert(offsetof(TReserveData, Plan) == 101);
static_assert(offsetof(TReserveData, Room) == 165);
static_assert(offsetof(TReserveData, Stay) == 229);
static_assert(offsetof(TReserveData, Stayx) == 230);
static_assert(offsetof(TReserveData, Decide) == 231);
static_assert(offsetof(TReserveData, Kubun) == 232);
static_assert(offsetof(TReserveData, Kamoku) == 236);
static_assert(offsetof(TReserveData, Tanka) == 364);
static_assert(offsetof(TReserveData, Suryou) == 368);

static_assert(sizeof(THojoKamoku) == 88);
static_assert(offsetof(THojoKamoku, KamokuCode) == 0);
static_assert(offsetof(THojoKamoku, HojoCode) == 4);
static_assert(offsetof(THojoKamoku, Tekiyo) == 8);
static_assert(offsetof(THojoKamoku, ETekiyo) == 44);
static_assert(offsetof(THojoKamoku, Tanka) == 80);
static_assert(offsetof(THojoKamoku, Keigen) == 84);
static_assert(offsetof(THojoKamoku, Padding) == 85);

static_assert(sizeof(TUrikakeData) == 88);
static_assert(offsetof(TUrikakeData, MeiNo) == 0);
static_assert(offsetof(TUrikakeData, Seisan) == 4);
static_assert(offsetof(TUrikakeData, Name) == 15);
static_assert(offsetof(TUrikakeData, Card) == 80);
static_assert(offsetof(TUrikakeData, Goukei) == 84);

static_assert(sizeof(TBaseData) == 1532);
static_assert(offsetof(TBaseData, SisetuName) == 0);
static_assert(offsetof(TBaseData, ZipCode) == 250);
static_assert(offsetof(TBaseData, Jusyo) == 259);
static_assert(offsetof(TBaseData, TelNo) == 320);
static_assert(offsetof(TBaseData, FaxNo) == 337);
static_assert(offsetof(TBaseData, Daihyou) == 354);
static_assert(offsetof(TBaseData, CommentS) == 395);
static_assert(offsetof(TBaseData, CommentR) == 517);
static_assert(offsetof(TBaseData, TaxKubun) == 639);
static_assert(offsetof(TBaseData, IDCode) == 640);
static_assert(offsetof(TBaseData, Passwd) == 657);
static_assert(offsetof(TBaseData, URL) == 674);
static_assert(offsetof(TBaseData, EMail) == 930);
static_assert(offsetof(TBaseData, Service) == 996);
static_assert(offsetof(TBaseData, Nyutouzei) == 1000);
static_assert(offsetof(TBaseData, TojiKubun) == 1004);
static_assert(offsetof(TBaseData, Reserved1) == 1005);
static_assert(offsetof(TBaseData, Color3) == 1008);
static_assert(offsetof(TBaseData, Color2) == 1012);
static_assert(offsetof(TBaseData, Color1) == 1016);
static_assert(offsetof(TBaseData, Color4) == 1020);
static_assert(offsetof(TBaseData, Acount) == 1024);
static_assert(offsetof(TBaseData, Domain) == 1041);
static_assert(offsetof(TBaseData, PaperKubun) == 1074);
static_assert(offsetof(TBaseData, FontKubun) == 1075);
static_assert(offsetof(TBaseData, DayNyutouzei) == 1076);
static_assert(offsetof(TBaseData, Tadashi) == 1080);
static_assert(offsetof(TBaseData, FontName1) == 1144);
static_assert(offsetof(TBaseData, FontName2) == 1272);
static_assert(offsetof(TBaseData, FontName3) == 1400);
static_assert(offsetof(TBaseData, Nyutou_Kubun) == 1528);
static_assert(offsetof(TBaseData, ServiceKubun) == 1529);
static_assert(offsetof(TBaseData, Reserved2) == 1530);

// Item key of an entry: account code * 1000 + item number.
inline uint32_t itemKey(const THojoKamoku &k) { return k.KamokuCode * 1000u + k.HojoCode; }
// Whether the entry is sold at the reduced consumption-tax rate.
inline bool isReducedRate(const THojoKamoku &k) { return (k.Keigen & 1) != 0; }
