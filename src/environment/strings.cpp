#include "environment/strings.h"

#include <algorithm>
#include <iterator>

namespace zb::environment {
namespace {

struct NumberedText {
  int number;
  const char* text;
};

// Sorted by number.
constexpr NumberedText kTexts[] = {
    {32803,
     "Bitte ordnen Sie die zu importierende Positionsdaten in folgender "
     "Auswahl einem Program zu ."},
    {35007, "unbekannt"},
    {35032, "Position '%1' ist in Benutzung, daher schreibgeschützt!"},
    {35034, "Position '%1' ist schreibgeschützt!"},
    {35035, "Benutzerdaten \n\t Name: %1"},
    {35036,
     "Die Position kann gelesen, verarbeitet und unter einem neuen oder "
     "einem nicht schreibgechützten Positionsnamen gesichert werden."},
    {35037, "\t Rechner : %1"},
    {35038, "\t seit    : %1"},
    {35039, "\t TmpDatei: %1"},
    {35040, "Wollen Sie den Schreibschutz entfernen?"},
    {35042,
     "Der Zugriff auf das Projektverzeichnis '%1'  und/oder einige "
     "Projektdateien ist  mit einem Schreibschutz blockiert. Sie können die "
     "Eigenschaft ändern und die Applikation NEU STARTEN."},
    {35043, "Eine nicht gespeicherte Position wurde gefunden."},
    {35044, "Position sichern?"},
    {35045, "Die letzte Autosave-Position wird gelöscht."},
    {35046, "Aktuelle Daten als Vorlage speichern?"},
    {35300, "Projekt umbenennen "},
    {35314, "Position '%1' kopieren in Projekt '%2' ?"},
    {35331, "Position '%1' existiert bereits.\nÜberschreiben? "},
    {35396, "Position aus  Projekt ' %1' kopieren  in '%2' als:"},
    {35400, "Projekt ' %1' kopieren ins Verzeichnis '%2'  als:"},
    {35402, "Projekt '%1' verschieben ins Verzeichnis '%2'  als:"},
    {35418, "Projekt neu anlegen"},
    {35439, "Projekt ' %1 ' existiert bereits.\nÜberschreiben?"},
    {35443, "Position konnte nicht gespeichert werden."},
};

void ReplaceFirst(std::string* text, const char* placeholder,
                  const std::string& value) {
  const size_t at = text->find(placeholder);
  if (at != std::string::npos) text->replace(at, 2, value);
}

}  // namespace

const char* SystemText(int number) {
  const auto* end = std::end(kTexts);
  const auto* it = std::lower_bound(
      std::begin(kTexts), end, number,
      [](const NumberedText& entry, int n) { return entry.number < n; });
  return it != end && it->number == number ? it->text : "";
}

std::string FillPlaceholders(std::string text, const std::string& first,
                             const std::string& second) {
  // %2 first, so that a %2 inside the first value stays as it is.
  ReplaceFirst(&text, "%2", second);
  ReplaceFirst(&text, "%1", first);
  return text;
}

std::string SystemText(int number, const std::string& first,
                       const std::string& second) {
  return FillPlaceholders(SystemText(number), first, second);
}

}  // namespace zb::environment
