// The catalogue of the connected AxeFx: its counts, the names it has read and its display
// offset, as the cross-reference views label them.
#pragma once

#include "catalogue.h"

class AxeFX;

class AxeFxCatalogue : public Catalogue {
public:
    explicit AxeFxCatalogue(AxeFX& axeFx);

    int presetCount() const override;
    int cabCount() const override;
    int displayOffset() const override;
    QString presetName(int index) const override;
    QString cabName(unsigned short number) const override;

private:
    AxeFX& axeFx;
};
