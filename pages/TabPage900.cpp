#include "TabPage900.h"

#include "data/Constants.h"
#include "networks/VexaIdOverlay.h"

#include <algorithm>

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
    vexaIds.erase(
        std::remove_if(vexaIds.begin(), vexaIds.end(), [](int id) { return !inBand(id); }),
        vexaIds.end());
    vexaIdOverlay()->showVexaIds(vexaIds);
}

void TabPage900::vexaIdSelected(int vexaId)
{
    if (inBand(vexaId))
        vexaIdOverlay()->showVexaId(vexaId);
}

void TabPage900::vexaIdDeselected(int vexaId)
{
    if (inBand(vexaId))
        vexaIdOverlay()->hideVexaId(vexaId);
}
