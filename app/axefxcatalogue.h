// SPDX-License-Identifier: MIT
// The catalogue of a scan of the AxeFx: the names the device link has read, labelled and
// counted in the layout the scan was read with, and the display offset it read.
#pragma once

#include "catalogue.h"

#include <QtGlobal>

class AxeFX;

class AxeFxCatalogue : public Catalogue {
public:
    AxeFxCatalogue(AxeFX& axeFx, quint8 model, quint8 displayOffset);

    int presetCount() const override;
    int cabCount() const override;
    int factoryCabCount() const override;
    int displayOffset() const override;
    QString presetName(int index) const override;
    QString cabName(unsigned short number) const override;
    QString bareCabName(unsigned short number) const override;

    // The model byte whose layout labels and counts the catalogue.
    quint8 layoutModel() const { return model; }

private:
    AxeFX& axeFx;
    quint8 model;
    quint8 offset;
};
