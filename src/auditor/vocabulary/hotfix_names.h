// Which fix a hotfix name stands for, and which names satisfy which.
//
// The rule, said once here and used by baselines, --require, the page and
// --since: Q or KB and the article's number are the fix (Q823980 is
// KB823980, the article Microsoft renamed; letters compare without case).
// Whatever is written on after the number names a variant of that fix:
// KB975558_WM8 and KB978695_WM9 (Windows Media's packages), KB2510531-IE8,
// KB2536276-v2 and KB893803v2 (re-releases), KB2803821-v2_WM9. A listed
// name satisfies a name that it is, or that it continues with what is
// written on after a part of it: KB975558_WM8 satisfies KB975558, and
// KB2803821-v2_WM9 satisfies KB2803821-v2 and KB2803821; KB951376 does not
// satisfy KB951376-v2 (a re-release a baseline asks for by name), nor
// KB97555 KB975558. A name that is not Q or KB and a number (File 1,
// MSCompPackV1) satisfies nothing. Tables show every name as listed.
#ifndef HOTFIXES_AUDITOR_VOCABULARY_HOTFIX_NAMES_H_
#define HOTFIXES_AUDITOR_VOCABULARY_HOTFIX_NAMES_H_

#include <cstddef>
#include <string>
#include <string_view>

// The form under which two names are one name: letters without case, and
// an old article number "Q823980" as the "KB823980" it was renamed to.
// Nothing else is folded: KB958644 and KB958644-v2 are two names, which
// the page shows apart and --since tells apart.
std::string HotfixKey(std::string_view name);

// How long the fix is that a key names, "KB" and the number: 10 for
// "KB975558_WM8"; 0 for a key that is not KB and a number.
std::size_t FixLength(std::string_view key);

// Calls `satisfied(length)` with the length of each key that a listed
// hotfix of key `key` satisfies, longest first: the key itself, then the
// key cut before each part written on after the number (a part starts
// with '-' or '_'), down to the fix. "KB2803821-V2_WM9" satisfies
// KB2803821-V2_WM9, KB2803821-V2 and KB2803821; a key that names no fix
// satisfies nothing.
template <typename Satisfied>
void ForEachKeySatisfied(std::string_view key, Satisfied satisfied) {
  const std::size_t fix = FixLength(key);
  if (fix == 0) return;
  std::size_t length = key.size();
  while (true) {
    satisfied(length);
    if (length == fix) return;
    const std::size_t part = key.find_last_of("-_", length - 1);
    length = part == std::string_view::npos || part < fix ? fix : part;
  }
}

// Whether a listed hotfix satisfies a required one, by the rule above.
bool Satisfies(std::string_view listedName, std::string_view requiredName);

// Whether `word` has the form of a HotFix key's name: Q or KB and the
// article's number, letters of a revision written on to it ("KB893803v2"),
// then any suffixes after '-' or '_' ("KB921883-v2", "KB982381-IE8",
// "KB968816_WM9"). A baseline's or a list's word of another form is a
// typing error: taken as a name, it would be a fix no machine has.
bool IsHotfixName(std::string_view word);

// The message for a word that is no hotfix name, with its likely meaning
// where one is known (a comment, names run together, quotes).
std::string NotAHotfixName(std::string_view word);

// Orders keys as a person reads them: runs of digits by their value, so
// that KB999 comes before KB1000.
bool HotfixKeyLess(const std::string& a, const std::string& b);

#endif  // HOTFIXES_AUDITOR_VOCABULARY_HOTFIX_NAMES_H_
