// SPDX-License-Identifier: MIT
#include "axefxcatalogue.h"

#include "axefx.h"

AxeFxCatalogue::AxeFxCatalogue(AxeFX& axeFx, quint8 model, quint8 displayOffset)
    : axeFx(axeFx)
    , model(model)
    , offset(displayOffset)
{ }

int AxeFxCatalogue::presetCount() const
{
    return axefx::layoutOf(model).presets;
}

int AxeFxCatalogue::cabCount() const
{
    return axefx::layoutOf(model).cabs;
}

int AxeFxCatalogue::factoryCabCount() const
{
    return axefx::layoutOf(model).factoryCabs;
}

int AxeFxCatalogue::displayOffset() const
{
    return offset;
}

QString AxeFxCatalogue::presetName(int index) const
{
    return axeFx.PresetName(index);
}

QString AxeFxCatalogue::cabName(unsigned short number) const
{
    return axeFx.CabName(number, model);
}

QString AxeFxCatalogue::bareCabName(unsigned short number) const
{
    return axeFx.cabNames.value(number);
}
