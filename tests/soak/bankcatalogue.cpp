#include "bankcatalogue.h"

BankCatalogue::BankCatalogue(const SimBank& bank)
    : bank(bank)
{ }

int BankCatalogue::presetCount() const
{
    return bank.presetCount();
}

int BankCatalogue::cabCount() const
{
    return bank.cabCount();
}

int BankCatalogue::displayOffset() const
{
    return bank.displayOffset;
}

// The unit sends names as they are stored; the program trims them and folds inner white
// space, so the expectation does the same.
QString BankCatalogue::presetName(int index) const
{
    return index >= 0 && index < bank.presets.size() ? bank.presets.at(index).name.simplified()
                                                     : QString();
}

QString BankCatalogue::cabLabel(unsigned short number) const
{
    const int factory = bank.factoryCabCount();
    return number < factory ? QStringLiteral("F%1").arg(number + 1)
                            : QStringLiteral("U%1").arg(number + 1 - factory);
}

QString BankCatalogue::cabName(unsigned short number) const
{
    const QString name
        = number < bank.cabNames.size() ? bank.cabNames.at(number).simplified() : QString();
    return cabLabel(number) + QStringLiteral("(%1)").arg(name);
}
