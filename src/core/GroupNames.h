#pragma once

#include <QString>
#include <QStringList>

namespace verdane {

// The seven code groups of the shipped library, in the order that places their nodes in the tree and orders the
// search. Each name is also the name of the group's table in the library database.
inline const QStringList& groupNames() {
    static const QStringList names{QStringLiteral("File"),          QStringLiteral("Math"),
                                   QStringLiteral("Miscellaneous"), QStringLiteral("Network"),
                                   QStringLiteral("Registry"),      QStringLiteral("System"),
                                   QStringLiteral("Window")};
    return names;
}

inline const QString kUserCodeTable = QStringLiteral("UserCode");
inline const QString kUserCodeCaption = QStringLiteral("User Code");
inline const QString kLibraryFileName = QStringLiteral("qmvbsource.mdb");
inline const QString kUserFileName = QStringLiteral("usersource.mdb");

// Captions the library root and ends the main window's caption.
inline const QString kPublisherLabel = QStringLiteral("Quillmere Code Library");

} // namespace verdane
