#pragma once

// Texts a person reads, in the language the program runs in. The core writes
// each text in Chinese, the program's own language, and passes it through
// translated(context, text); the program installs a translator at start (Qt's,
// from src/app) that gives the text in the language chosen. Without one, the
// Chinese text comes back unchanged. A context groups the texts of one part
// for the translator ("MatrixSession", "StatusFile").
//
// Texts that are data never pass through here: file contents, section and
// key names, owner ids such as the window's "本机操作台".
//
// The translation tools find the texts by these two names: a call
// translated("Context", "文字") and, for a text kept in a constant and
// translated where it is used, MC_TEXT("Context", "文字"). Both must be
// written with the context and the text as string literals.
//
// Threads: setTranslator runs once at start, before any other thread of the
// program; translated may then be called from any thread.

#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>

// Marks a constant text for the translation tools; the text itself.
#define MC_TEXT(context, text) text

namespace mc {

using Translator = std::function<std::string(const char* context, const char* text)>;

// The translator every later call of translated() uses; empty: none.
void setTranslator(Translator translator);

// `text` (UTF-8) of `context`, translated.
std::string translated(const char* context, const char* text);

// `text` with %1 .. %9 replaced by the arguments in order, as the translated
// texts carry them ("输出 %1 已被 %2 锁定" / "Output %1 is locked by %2"): an
// argument is never searched again. A marker without an argument, and any
// other "%", stay as they are.
std::string formatText(std::string_view text, std::initializer_list<std::string_view> arguments);

}  // namespace mc
