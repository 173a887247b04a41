#pragma once

#include "VenueSettings.h"

#include <QDialog>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

// "Venue…": where the venue's broker is (mqtt:// or mqtts://), the certificate authorities to
// check a TLS broker against, the user and password, and how far back a sensor seen for the
// first time replays its sweeps. Connect is possible only with an address the program can use;
// what is wrong with it is said under the field.
class VenueDialog : public QDialog
{
    Q_OBJECT

public:
    // Picks a file (the certificate authorities); tests answer it.
    using FileChooser = std::function<QString(QWidget *parent)>;

    explicit VenueDialog(const VenueSettings &settings, QWidget *parent = nullptr);

    void setFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }
    void setPassword(const QString &password);

    VenueSettings settings() const;
    QString password() const;

    QLineEdit *urlField() const { return m_url; }
    QLineEdit *caField() const { return m_caFile; }
    QLineEdit *userField() const { return m_user; }
    QLineEdit *passwordField() const { return m_password; }
    QLabel *problemLabel() const { return m_problem; }
    QPushButton *connectButton() const { return m_connect; }

private:
    void check();

    QLineEdit *m_url;
    QLineEdit *m_caFile;
    QLineEdit *m_user;
    QLineEdit *m_password;
    QSpinBox *m_replay;
    QLabel *m_problem;
    QPushButton *m_connect;
    FileChooser m_chooseFile;
};
