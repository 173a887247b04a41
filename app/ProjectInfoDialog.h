#pragma once

#include "data/ProjectInfoData.h"

#include <QDialog>
#include <memory>

namespace Ui {
class ProjectInfoDialog;
}

// Edits the project information attached to recordings: project name and ID, scan location and
// technician. OK accepts, Cancel changes nothing, Reset brings back what the dialog was given.
class ProjectInfoDialog : public QDialog
{
    Q_OBJECT

public:
    explicit ProjectInfoDialog(QWidget *parent);
    ~ProjectInfoDialog() override;

    Ui::ProjectInfoDialog *getUi() const { return ui.get(); }

    void setData(ProjectInfoData d);
    ProjectInfoData savedData() const;

public Q_SLOTS:
    void resetData();

private:
    std::unique_ptr<Ui::ProjectInfoDialog> ui;
    ProjectInfoData m_data;
};
