#include "TabPage900.h"

#include "data/Constants.h"

TabPage900::TabPage900(const MainWindow *mainWindow, QWidget *parent)
    : TabPage(mainWindow, parent)
{
    setBandIntervals(Constants::k_900ScanParams);
}

TabPage900::TabPage900(RfSpectrumHistory hist, const MainWindow *mainWindow, QWidget *parent)
    : TabPage(std::move(hist), mainWindow, parent)
{ }

void TabPage900::onNewSpecScan(qint64 timeStamp, RfSpectrumScan spectrum)
{
    addNewSpectrumSample(RfSpectrumSample{timeStamp, std::move(spectrum), WifiScan()});
}

void TabPage900::vexaIdSelection(QList<int> vexaIds)
{
    showVexaIdsOfBand(std::move(vexaIds), &TabPage900::inBand);
}

void TabPage900::vexaIdSelected(int vexaId)
{
    showVexaIdOfBand(vexaId, &TabPage900::inBand);
}

void TabPage900::vexaIdDeselected(int vexaId)
{
    hideVexaIdOfBand(vexaId, &TabPage900::inBand);
}
