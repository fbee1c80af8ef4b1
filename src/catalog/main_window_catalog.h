// The catalogue's part of the main window: what happens when the user chooses an object type, a
// server, a database, an owner or an object on a side, the refresh of one side, the owner
// commands and the information gesture. The window forwards its events here and provides the
// few operations of its own that these rules need.
#pragma once

#include <array>
#include <string_view>

#include "catalog/object_list.h"
#include "catalog/object_type.h"
#include "catalog/selector.h"
#include "catalog/side_controls.h"

namespace korvane {

struct ApplicationContext;

// What the main window itself provides.
class MainWindowOperations {
 public:
  virtual ~MainWindowOperations() = default;
  // The server check of the window (data access present, a server listed); false stops.
  virtual bool ServerInfoSet() = 0;
  // Clears and reloads both sides; `load_mru_db` preselects the most recently used databases.
  virtual void InitializeDisplay(bool load_mru_db) = 0;
  virtual void SetCompareToolTip(std::string_view text) = 0;
  virtual void SetObjectListHeader(int side, std::string_view text) = 0;
  // True once the window has finished loading.
  virtual bool IsLoaded() const = 0;
  // True while one of the window's commands runs (its busy flag).
  virtual bool IsCommandRunning() const = 0;
};

inline constexpr std::string_view kNoDatabaseToViewMessage =
    "Cannot view - the list of databases is empty.";
inline constexpr std::string_view kNoTableToViewMessage =
    "Cannot view - the list of tables is empty.";
// The modifier-key state of the information gesture: Shift, Ctrl and Alt held together.
inline constexpr int kInformationGestureModifiers = 7;

class MainWindowCatalog {
 public:
  // The controls and the window must outlive this object. `render` shows the structure text of
  // a side's selected object.
  MainWindowCatalog(ApplicationContext& context, MainWindowOperations& window,
                    Selector& type_selector, SideControls source, SideControls target,
                    StructureTextRenderer render);

  // Routes the selection events of the type selector and of each side's server selector,
  // database list, owner selector and object list to the handlers below. A window that routes
  // them itself need not call it; either way the handlers rely on the events being routed.
  void ConnectSelectionEvents();

  ObjectType CurrentType() const;

  // Empties a side: database list, owner selector, object list and structure view.
  void ClearSide(int side);

  // Loads the side's server record (context.CurrentServers[side]) into the side.
  bool LoadServer(int side, bool preselect_mru);

  // --- selection events; each does nothing while its control is being filled
  void ObjectTypeChanged();
  void ServerChanged(int side);
  void DatabaseChanged(int side);
  void OwnerChanged(int side);
  void ObjectChanged(int side);  // a side's object list selection changed

  // The information gesture on a side's object list with the modifier-key state.
  void InformationGesture(int side, int modifier_state);

  // Reloads one side's object list and selects again the object selected before, when listed.
  void RefreshDisplayForPanel(int side);

  // The "Get All Owners" and "Get Owner" commands of a side.
  void GetAllOwnersCommand(int side);
  void GetOwnerCommand(int side);

 private:
  SideControls& Side(int side) { return sides_[static_cast<std::size_t>(side)]; }
  ServerRecord& Server(int side);
  // The side's database and object list must not be empty; shows the refusal otherwise.
  bool CanViewOwners(int side);
  void ReloadObjects(int side);

  ApplicationContext& context_;
  MainWindowOperations& window_;
  Selector& type_selector_;
  std::array<SideControls, 2> sides_;
  StructureTextRenderer render_;
};

}  // namespace korvane
