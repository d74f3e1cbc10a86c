#include "axefxcatalogue.h"

#include "axefx.h"

AxeFxCatalogue::AxeFxCatalogue(AxeFX& axeFx)
    : axeFx(axeFx)
{ }

int AxeFxCatalogue::presetCount() const
{
    return axeFx.PresetCount();
}

int AxeFxCatalogue::cabCount() const
{
    return axeFx.CabCount();
}

int AxeFxCatalogue::displayOffset() const
{
    return axeFx.displayOffset;
}

QString AxeFxCatalogue::presetName(int index) const
{
    return axeFx.PresetName(index);
}

QString AxeFxCatalogue::cabName(unsigned short number) const
{
    return axeFx.CabName(number);
}
