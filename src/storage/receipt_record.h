#pragma once
// One receipt issued as receipts.dat keeps it (receipt_issues.h reads and
// shows the record; a database store keeps the same bytes per issue).

#include <cstddef>
#include <cstdint>

inline constexpr char ReceiptIssuesFileName[] = "receipts.dat";

#pragma pack(push, 1)
struct TReceiptIssueData {
    uint32_t MeiNo;
    char IssuedAt[20]; // yyyy/MM/dd HH:mm:ss, local time
    uint8_t Paper;     // 0 A5, 1 A4, 2 B5, 3 the combined A4 sheet
    uint8_t Lang;      // 0 Japanese, 1 English
    uint8_t Keisyou;   // the honorific printed after the name (its place in the list)
    uint8_t Tadashi;   // 1: the proviso was printed
    char Reserved[4];
};
#pragma pack(pop)
static_assert(sizeof(TReceiptIssueData) == 32);
static_assert(offsetof(TReceiptIssueData, IssuedAt) == 4);
static_assert(offsetof(TReceiptIssueData, Paper) == 24);
static_assert(offsetof(TReceiptIssueData, Keisyou) == 26);
