#include "TabPage900.h"

#include "data/Constants.h"
#include "networks/VexaIdOverlay.h"

TabPage900::TabPage900(const PageActions &actions, QWidget *parent)
    : TabPage(actions, parent)
{
    vexaIdOverlay()->setBand(&TabPage900::inBand);
    setBandIntervals(Constants::k_900ScanParams);
}

TabPage900::TabPage900(RfSpectrumHistory hist, const PageActions &actions, QWidget *parent)
    : TabPage(std::move(hist), actions, parent)
{
    vexaIdOverlay()->setBand(&TabPage900::inBand);
}

void TabPage900::onNewSpecScan(qint64 timeStamp, RfSpectrumScan spectrum)
{
    addNewSpectrumSample(RfSpectrumSample{timeStamp, std::move(spectrum), WifiScan()});
}
