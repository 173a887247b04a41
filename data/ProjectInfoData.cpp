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
    // The stream goes on reading after an error; a field after one keeps its default rather
    // than text read from the wrong place.
    for (QString *field :
         {&info.projectName, &info.projectId, &info.scanLocation, &info.technicianName}) {
        if (in.status() != QDataStream::Ok)
            break;
        in >> *field;
    }
    return in;
}
