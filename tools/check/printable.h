// Script words and file names can hold any byte. Every message and every
// text of the timeline picture goes through printable(), so that what the
// author sees is valid UTF-8 without bytes a terminal or an XML reader acts on.
#pragma once

#include <string>

// The text with each byte that is not part of a printable UTF-8 character
// written as \xNN: control characters (C0, DEL and C1), bytes that form no
// character, the marks that reorder text on screen, and U+FFFE and U+FFFF.
// Printable text comes back as it was.
std::string printable(const std::string& text);
