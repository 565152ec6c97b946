// An INI file as the configuration text a launcher embeds.
#ifndef TARN_TOOLS_INI_TEXT_H
#define TARN_TOOLS_INI_TEXT_H

#include <string>
#include <vector>

namespace tarn {

// The INI file's bytes (UTF-8, with or without a byte order mark, or
// UTF-16LE with one) as the text to embed. The embedded reader knows only
// "\r\n" line ends, sections and key lines, and matches names exactly, so
// the file is put in that form, read by the rules of the configuration
// file's own reader: every line end ("\r\n", "\r" or "\n") becomes "\r\n";
// comment and blank lines and lines without "=" are dropped; blanks inside
// a header's brackets and matching quotes around a whole value are
// removed; the section and key names the launcher reads, which a file
// matches in any case, take the launcher's spelling. False with *error
// for text in neither encoding or holding NUL characters.
bool embeddedTextFromIni(const std::vector<unsigned char>& ini, std::u16string* text,
                         std::string* error);

// The embedded text of an executable that carries a jar. That jar is the
// program's, so where the text leaves "Embedded Jar" unset or empty, the
// line "Embedded Jar=Yes" goes first into its first "Application" section
// (added at the end when there is none). False with *error when the text
// sets the key to anything the launcher reads as off: the jar would never be
// used. `given` says whether the jar comes with this packing or stays from
// an earlier one.
bool withEmbeddedJar(std::u16string* text, bool given, std::string* error);

}  // namespace tarn

#endif
