#pragma once

#include <QByteArray>
#include <QString>

// Replaces the file at path with bytes as a whole: written to a temporary beside it and renamed
// over it only when every byte is on disk. On failure the old file stays as it was. Only a file is
// replaced: a device, a FIFO or a folder at path makes it fail without touching it.
//
// OwnerOnly is for files that hold secrets: a new file is readable by its owner alone (0600). A file
// that exists keeps its mode either way: the user may have set it.
//
// NoLinks is for the working files of the work folder, where a planted symbolic link must not turn
// a save into a write of whatever it points to: a link at path fails the save (IsSymLink tells
// why), and the file is made new beside it (0600) and renamed into place, so that a link planted
// meanwhile is replaced, never followed.
enum class FileAccess { Default, OwnerOnly, NoLinks };
bool SaveWholeFile(const QString &path, const QByteArray &bytes, FileAccess access = FileAccess::Default);

// Whether path itself is a symbolic link (to anything, or dangling).
bool IsSymLink(const QString &path);

// The message for a working file refused because a symbolic link stands in its place.
QString SymLinkRefusedText(const QString &path);
