#pragma once
// The main() of a benchmark program run on one data folder: --data_dir=DIR
// comes out before the benchmark library sees the other arguments.

#include <QFileInfo>
#include <QString>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>

inline int runOnDataDir(int argc, char **argv, QString &dataDir)
{
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--data_dir=", 11) == 0)
            dataDir = QString::fromLocal8Bit(argv[i] + 11);
        else
            argv[kept++] = argv[i];
    }
    argc = kept;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    if (dataDir.isEmpty() || !QFileInfo::exists(dataDir + QStringLiteral("/reserve.dat"))) {
        std::fprintf(stderr, "%s: --data_dir=DIR must name a directory holding reserve.dat\n", argv[0]);
        return 2;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
