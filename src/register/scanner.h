#pragma once
// Scanning one page through SANE, the scanner interface of the free desktops.
// A scan takes seconds: call scanPage from a worker thread, never from the
// thread that runs the windows. One scan runs at a time in the program.

#include <QByteArray>
#include <QString>

#include <atomic>

struct ScanResult {
    QByteArray image; // the page as a PNM picture (P5 grey or P6 colour); empty on failure
    QString error;    // what to tell the user when image is empty; empty when cancelled
};

struct ScanRequest {
    QString device; // a SANE device name; empty: the first scanner found
    int dpi = 200;  // the resolution asked for; the scanner's nearest is taken
    bool colour = true;
};

// Scans one page. cancel, when given, is looked at between blocks read: set
// it from another thread to stop the scan (the result then has neither
// image nor error).
ScanResult scanPage(const ScanRequest &request, const std::atomic<bool> *cancel = nullptr);

// The message for a system without any scanner.
QString noScannerMessage();
