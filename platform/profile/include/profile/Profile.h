#pragma once

#include <QString>

// Private-profile settings files: one key of an INI file read or written
// the way GetPrivateProfileString / WritePrivateProfileString do it.
//
// Reading: section and key names match without regard to case; blanks and
// tabs around the key, the "=" and the value do not matter; a value enclosed
// in matching single or double quotes loses them; lines starting with ";"
// are comments. The first matching section and, in it, the first matching
// key count. A missing file, section or key gives the default (its trailing
// blanks removed). The result is cut to ProfileBufferSize - 1 characters,
// as the call fills a buffer of ProfileBufferSize characters with its
// terminating zero.
//
// Writing: the file, the section and the key are created as needed; an
// existing key's line becomes "key=value" and every other byte of the file
// stays as it was: order, comments, blank lines and line ends. Lines added
// take the file's line end (CR LF in a new file or one without line ends).
//
// Encoding: files are UTF-8. A file that is not valid UTF-8 was brought over
// from the old program and is read as Latin-1; writes keep it Latin-1 while
// the new line fits, and turn the whole file into UTF-8 when it does not.
namespace profile {

constexpr int ProfileBufferSize = 255;

QString readProfileString(const QString &fileName, const QString &section, const QString &key,
                          const QString &defaultValue);

// False when the file could not be read or written.
bool writeProfileString(const QString &fileName, const QString &section, const QString &key,
                        const QString &value);

} // namespace profile
