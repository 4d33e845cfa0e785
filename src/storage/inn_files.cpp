#include "inn_files.h"

#include <vector>

const std::vector<InnFile> &innFiles()
{
    static const std::vector<InnFile> files{
        {"base.dat", false},
        // The item master's nine categories (KamokuFileNames; a test keeps the two in step).
        {"kmk_syu.dat", false},
        {"kmk_opt.dat", false},
        {"kmk_day.dat", false},
        {"kmk_nbk.dat", false},
        {"kmk_ttk.dat", false},
        {"kmk_oth.dat", false},
        {"kmk_urk.dat", false},
        {"kmk_cpn.dat", false},
        {"kmk_mae.dat", false},
        {"reserve.dat", false},
        {"urikake.dat", false},
        {"receipts.dat", false}, // ReceiptIssuesFileName: the receipts issued
        // The manual tells the clerk to edit the settings file; the logo is any picture copied in.
        {"norvelreceipt.ini", true},
        {"logo.bmp", true},
        // The guest register, sealed (RegisterFileStore; a test keeps the two in step).
        {"register.key", false},
        {"register.dat", false},
        {"passport.dat", false},
    };
    return files;
}

QStringList innFileNames()
{
    QStringList names;
    for (const InnFile &f : innFiles())
        names << QLatin1String(f.name);
    return names;
}

bool isInnFile(const QString &name)
{
    for (const InnFile &f : innFiles())
        if (name == QLatin1String(f.name))
            return true;
    return false;
}

bool isEditedByHand(const QString &name)
{
    for (const InnFile &f : innFiles())
        if (name == QLatin1String(f.name))
            return f.editedByHand;
    return false;
}
