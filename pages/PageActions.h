#pragma once

class QAction;
class WifiList;

// The window's actions a band page puts in its tool bar, its menus and beside its time bar,
// and the window's Wi-Fi list that the 2.4 GHz page fills. The window owns them all; a page
// only shows and follows them.
struct PageActions
{
    QAction *snapshot = nullptr;
    QAction *save = nullptr;
    QAction *toggleView = nullptr;
    QAction *maxHold = nullptr;
    QAction *average = nullptr;
    QAction *vexaIds = nullptr;
    QAction *stop = nullptr;
    QAction *record = nullptr;
    QAction *toggleChannels = nullptr;
    QAction *showWifi = nullptr;
    QAction *toggleWifiList = nullptr;
    WifiList *wifiList = nullptr;
};
