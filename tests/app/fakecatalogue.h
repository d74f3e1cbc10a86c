// A catalogue with names a test chooses; cabinets are labelled "C<number>(<name>)", so a
// label shows at a glance which number it was made from.
#pragma once

#include "catalogue.h"

#include <QVector>

class FakeCatalogue : public Catalogue {
public:
    int presets = 4;
    int cabs = 5;
    int offset = 0;
    QVector<QString> presetNames;
    QVector<QString> cabNames;

    int presetCount() const override { return presets; }
    int cabCount() const override { return cabs; }
    int displayOffset() const override { return offset; }
    QString presetName(int index) const override
    {
        return index >= 0 && index < presetNames.size() ? presetNames.at(index) : QString();
    }
    QString cabName(unsigned short number) const override
    {
        const QString name = number < cabNames.size() ? cabNames.at(number) : QString();
        return QStringLiteral("C%1(%2)").arg(number).arg(name);
    }
};
