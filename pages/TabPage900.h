#pragma once

#include "TabPage.h"

// The page of the 902-928 MHz band: VEXA IDs below 9501, no Wi-Fi.
class TabPage900 : public TabPage
{
    Q_OBJECT

public:
    // The highest VEXA ID of the band's networks.
    static constexpr int k_maxVexaId = 9500;

    TabPage900(const PageActions &actions, QWidget *parent);
    TabPage900(RfSpectrumHistory hist, const PageActions &actions, QWidget *parent);

    static bool inBand(int vexaId) { return vexaId <= k_maxVexaId; }

public Q_SLOTS:
    void onNewSpecScan(qint64 timeStamp, RfSpectrumScan spectrum) override;
};
