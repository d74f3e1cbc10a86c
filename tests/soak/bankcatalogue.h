// The names a correct scan of a simulated unit reads, labelled as the program labels them:
// what the exported tables must show when every reply arrives intact.
#pragma once

#include <catalogue.h>
#include <simbank.h>

class BankCatalogue : public Catalogue {
public:
    explicit BankCatalogue(const SimBank& bank);

    int presetCount() const override;
    int cabCount() const override;
    int displayOffset() const override;
    QString presetName(int index) const override;
    QString cabName(unsigned short number) const override;

    // What the program shows for a cabinet whose name it never read.
    QString cabLabel(unsigned short number) const;

private:
    SimBank bank;
};
