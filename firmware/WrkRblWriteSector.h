#pragma once

#include "RblWorker.h"

// Writes one flash sector: ping, erase the sector at "address", check the status, announce
// the download of "data", check the status, then send the data in chunks of at most 252 bytes
// (the largest frame the one-byte size can describe), checking the status after each. Data
// that is empty or all 0xFF (what an erased sector holds) is not downloaded. The controller
// announces the end 10 ms after the last step (rblWriteSectorDone).
class WrkRblWriteSector : public RblWorker
{
    Q_OBJECT

public:
    static constexpr int k_maxChunk = 252;

    WrkRblWriteSector(const QString &portName, DeviceComms *deviceComms,
                      const ScanParams &parameters, QObject *parent = nullptr);

public Q_SLOTS:
    void checkStatus(uchar status);

Q_SIGNALS:
    void statusSuccess();
    void dataTransferDone();

private:
    void onDownload();
    void onSend();

    uint m_address;
    QByteArray m_data;
    quint32 m_sentBytes = 0;
};
