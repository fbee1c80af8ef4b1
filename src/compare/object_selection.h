// Picking the objects of a selective comparison (the frmListObjects dialog): both sides' object
// lists with a tick per object, ticks mirrored by name to the other side, and the checks of OK.
// The dialog only shows the two lists and forwards clicks here.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/object_type.h"

namespace korvane {

struct ApplicationContext;
class UserInterface;

inline constexpr std::string_view kSelectAtLeastOneObjectMessage =
    "Please select at least one object or click Cancel button.";
inline constexpr std::string_view kSelectSourceObjectMessage =
    "Please select at least one object in Source database or click Cancel button.";
inline constexpr std::string_view kSelectTargetObjectMessage =
    "Please select at least one object in Target database or click Cancel button.";
inline constexpr int kListObjectsHelpContext = 160;

// What an accepted selection hands to the run.
struct ObjectSelection {
  bool all_selected = false;  // every object of both lists was ticked
  int source_count = 0;
  int target_count = 0;
  std::vector<std::string> source;  // displayed names of the ticked objects, in list order
  std::vector<std::string> target;

  friend bool operator==(const ObjectSelection&, const ObjectSelection&) = default;
};

class ObjectSelectionLists {
 public:
  struct Row {
    std::string name;  // the displayed name
    bool ticked = false;
  };

  ObjectSelectionLists() = default;
  ObjectSelectionLists(const std::vector<std::string>& source_names,
                       const std::vector<std::string>& target_names);

  // Both sides' objects of `type`, every object unticked; a side whose list query failed stays
  // empty.
  static ObjectSelectionLists Load(ApplicationContext& context, std::string_view source_database,
                                   std::string_view target_database, ObjectType type);

  const std::vector<Row>& rows(int side) const { return rows_.at(side); }

  // Ticks or unticks a row and, on the other side, the first row of exactly the same name
  // (letter case counts). A row number outside the list does nothing.
  void SetTicked(int side, int row, bool ticked);
  // Select All (true) and Deselect All (false): every row of both sides.
  void SetAllTicked(bool ticked);

  // OK: the selection, or nothing after the message telling what is missing (information
  // icon; the dialog stays open).
  std::optional<ObjectSelection> Accept(UserInterface& ui) const;

 private:
  std::array<std::vector<Row>, 2> rows_;
};

// The heading words of the dialog: the type word in capitals ("TABLES").
std::string ObjectSelectionTypeWord(ObjectType type);

}  // namespace korvane
