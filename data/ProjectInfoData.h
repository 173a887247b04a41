#pragma once

#include <QString>

class QDataStream;

// Project information attached to a recording.
struct ProjectInfoData
{
    QString projectName;
    QString projectId;
    QString scanLocation;
    QString technicianName;

    bool operator==(const ProjectInfoData &other) const;
    bool operator!=(const ProjectInfoData &other) const { return !(*this == other); }
};

QDataStream &operator<<(QDataStream &out, const ProjectInfoData &info);
QDataStream &operator>>(QDataStream &in, ProjectInfoData &info);
