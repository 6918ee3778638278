// The keys of the main script that the engine reads, section by section:
// what the checker knows as "known keys" and what the authors' guide lists.
#pragma once
#include <string>
#include <vector>

struct ScriptKey {
    const char *section;  // "DLG", "CMP", ...
    const char *key;      // as the engine forms it: "C53", "+%ia", "+%i_%i"
    char kind;            // 's' text, 'i' integer
    int size;             // buffer the engine reads a text into (0: integer)
    const char *fallback; // value when the key is absent
    const char *reader;   // page or step that reads it
    const char *meaning;
    char expanded;        // 'y' variables expanded, 'n' used as written, 'p' a path; 0 for a number
    const char *example;  // a value as a product would write it
};

// Every key, in the order of the guide's tables; ends with a null section.
extern const ScriptKey kScriptKeys[];

// Sections that are numbered lists and their count key ("Ndx" or "#").
const char *ListCountKey(const std::string &section);

// The catalogue entry a key of a section matches ("+3a" matches "+%ia"),
// or null. Sections and keys compare without regard to case, as the
// profile functions do.
const ScriptKey *FindScriptKey(const std::string &section, const std::string &key);
// True when the section is one the engine reads.
bool KnownSection(const std::string &section);
// The known key of the section nearest to an unknown one (for "did you
// mean"); empty when none is close.
std::string NearestScriptKey(const std::string &section, const std::string &key);
// Item number of a list key ("+12p1" gives 12), 0 when it is no item key.
int ItemNumberOfKey(const std::string &key);
// Variables the engine defines itself (%INSTDIR% ...).
bool EngineVariable(const std::string &name);
// Action types of the [ACT] list and the phases each may run in.
bool KnownActionType(int type);
bool ActionTypeIsPage(int type);
// Markdown tables of every key, grouped by section and reader.
std::string KeyTablesMarkdown();
