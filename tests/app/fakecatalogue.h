// A catalogue with names a test chooses; cabinets are labelled "C<number>(<name>)", so a
// label shows at a glance which number it was made from.
#pragma once

#include "catalogue.h"

#include <QStringList>

class FakeCatalogue : public Catalogue {
public:
    int presets = 4;
    int cabs = 5;
    int offset = 0;
    QStringList presetNames;
    QStringList cabNames;

    int presetCount() const override { return presets; }
    int cabCount() const override { return cabs; }
    int displayOffset() const override { return offset; }
    QString presetName(int index) const override { return presetNames.value(index); }
    QString cabName(unsigned short number) const override
    {
        return QStringLiteral("C%1(%2)").arg(number).arg(cabNames.value(number));
    }
};
