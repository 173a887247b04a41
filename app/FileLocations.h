#pragma once

#include <QString>

// Where recordings, snapshots, reports and exported scans go: the folder remembered from the last
// save or open of the kind (or the user's documents or pictures folder), and the default file name
// "<folder>/<name>_<band>_<yyyy-MM-ddTHHmmss>". Captured scans go to the one folder chosen for
// them, kept under settingsKey(Capture).
class FileLocations
{
public:
    enum class Kind { Recording, Snapshot, Report, Export, Capture };

    static QString settingsKey(Kind kind);
    // The remembered folder, or the standard folder of the kind when none is stored. A folder
    // stored as a file URL is read as the folder it names.
    static QString folder(Kind kind);
    // Remembers the folder of `filePath` for the next dialog of the kind.
    static void remember(Kind kind, const QString &filePath);
    static QString defaultPath(Kind kind, const QString &name, const QString &band);
    // `path` with `suffix` (".tarn", ".png") appended unless it ends with it exactly.
    static QString withSuffix(const QString &path, const QString &suffix);
};
