#include "ProjectInfoData.h"

#include <QDataStream>

bool ProjectInfoData::operator==(const ProjectInfoData &other) const
{
    return projectName == other.projectName && projectId == other.projectId
        && scanLocation == other.scanLocation && technicianName == other.technicianName;
}

QDataStream &operator<<(QDataStream &out, const ProjectInfoData &info)
{
    return out << info.projectName << info.projectId << info.scanLocation << info.technicianName;
}

QDataStream &operator>>(QDataStream &in, ProjectInfoData &info)
{
    return in >> info.projectName >> info.projectId >> info.scanLocation >> info.technicianName;
}
