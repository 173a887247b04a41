#include "ProjectInfoDialog.h"
#include "ui_ProjectInfoDialog.h"

#include <QPushButton>

ProjectInfoDialog::ProjectInfoDialog(QWidget *parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::ProjectInfoDialog>())
{
    ui->setupUi(this);
    ui->buttonBox->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(ui->buttonBox->button(QDialogButtonBox::Reset), &QPushButton::clicked, this,
            &ProjectInfoDialog::resetData);
}

ProjectInfoDialog::~ProjectInfoDialog() = default;

void ProjectInfoDialog::setData(ProjectInfoData d)
{
    m_data = std::move(d);
    resetData();
}

void ProjectInfoDialog::resetData()
{
    ui->edtProjectName->setText(m_data.projectName);
    ui->edtProjectId->setText(m_data.projectId);
    ui->edtScanLocation->setText(m_data.scanLocation);
    ui->edtTechnicianName->setText(m_data.technicianName);
}

ProjectInfoData ProjectInfoDialog::savedData() const
{
    return {ui->edtProjectName->text(), ui->edtProjectId->text(), ui->edtScanLocation->text(),
            ui->edtTechnicianName->text()};
}
