#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class About;
}

// The application's name, icon and version, and the versions of the plotting library and the
// framework in use, with their links and the framework's licence.
class About : public QDialog
{
    Q_OBJECT

public:
    static const QString k_qwtWebSite;
    static const QString k_qtWebSite;
    static const QString k_lgplText;

    explicit About(QWidget *parent);
    ~About() override;

    Ui::About *getUi() const { return ui.get(); }

    // The version of the plotting library loaded into this process: read from the file name
    // of the shared library that holds it ("libqwt-qt5.so.6.1.4"), else the one built against.
    static QString qwtVersion();

private:
    std::unique_ptr<Ui::About> ui;
};
