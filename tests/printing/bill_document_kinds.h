#pragma once
// Every bill document the program prints: paper and kind, with a readable
// name for SCOPED_TRACE. Shared by the tests that run a check over all of them.

#include "printing/bill_documents.h"
#include "printing/print_form.h"

struct Document {
    const char *name;
    BillPaper paper;
    int kind;
};

inline const Document kDocuments[] = {
    {"A5 bill", BillPaper::A5, KindBill},         {"A5 receipt", BillPaper::A5, KindReceipt},
    {"A5 estimate", BillPaper::A5, KindEstimate}, {"A4 bill", BillPaper::A4, KindBill},
    {"A4 receipt", BillPaper::A4, KindReceipt},   {"B5 bill", BillPaper::B5, KindBill},
    {"B5 receipt", BillPaper::B5, KindReceipt},   {"B5 estimate", BillPaper::B5, KindEstimate},
    {"combined", BillPaper::Combined, KindBill},
};
