#include "catalog/main_window_catalog.h"

#include <string>

#include "app/application_context.h"
#include "base/text.h"
#include "base/user_interface.h"
#include "catalog/catalog_failure.h"
#include "catalog/object_type_selector.h"
#include "catalog/owners.h"
#include "catalog/server_loader.h"
#include "catalog/sql_names.h"
#include "db/server_list.h"

namespace korvane {

MainWindowCatalog::MainWindowCatalog(ApplicationContext& context, MainWindowOperations& window,
                                     Selector& type_selector, SideControls source,
                                     SideControls target, StructureTextRenderer render)
    : context_(context),
      window_(window),
      type_selector_(type_selector),
      sides_{source, target},
      render_(std::move(render)) {}

void MainWindowCatalog::ConnectSelectionEvents() {
  type_selector_.SetSelectionHandler([this](int) { ObjectTypeChanged(); });
  for (int side : {kSource, kTarget}) {
    SideControls& controls = Side(side);
    if (controls.servers != nullptr)
      controls.servers->SetSelectionHandler([this, side](int) { ServerChanged(side); });
    controls.databases.SetSelectionHandler([this, side](int) { DatabaseChanged(side); });
    controls.owners.SetSelectionHandler([this, side](int) { OwnerChanged(side); });
    controls.objects.SetSelectionHandler([this, side](int) { ObjectChanged(side); });
  }
}

ObjectType MainWindowCatalog::CurrentType() const {
  return SelectedObjectType(type_selector_);
}

ServerRecord& MainWindowCatalog::Server(int side) {
  return context_.CurrentServers[static_cast<std::size_t>(side)];
}

void MainWindowCatalog::ClearSide(int side) {
  SideControls& controls = Side(side);
  controls.databases.SetTag(kBusyTag);
  controls.databases.Clear(false);
  controls.databases.SetTag("");
  controls.objects.SetTag(kBusyTag);
  controls.objects.Clear(false);
  controls.objects.SetTag("");
  controls.structure.SetText("");
  controls.owners.SetTag(kBusyTag);
  controls.owners.Clear();
  controls.owners.SetTag("");
}

bool MainWindowCatalog::LoadServer(int side, bool preselect_mru) {
  return korvane::LoadServer(context_, Server(side), Side(side), type_selector_, render_,
                             preselect_mru);
}

void MainWindowCatalog::ObjectTypeChanged() {
  if (type_selector_.IsBusy() || window_.IsCommandRunning())
    return;
  RunGuarded(context_.ui, "frmMain", "ObjectTypeChanged", [&] {
    if (!window_.ServerInfoSet())
      return;
    const std::string plural = ObjectTypeName(CurrentType(), false);
    window_.SetCompareToolTip("Compare selected " + plural + " (F7)");
    for (int side : {kSource, kTarget})
      window_.SetObjectListHeader(side, "List of all " + plural);
    if (Side(kSource).databases.CurrentText().empty() &&
        Side(kTarget).databases.CurrentText().empty()) {
      window_.InitializeDisplay(false);
      return;
    }
    for (int side : {kSource, kTarget}) {
      // The owner selector goes back to "All Owners", as the reloaded list is not narrowed.
      ReloadObjects(side);
      LoadOwners(context_, Server(side), Trim(Side(side).databases.CurrentText()), type_selector_,
                 Side(side).owners);
    }
  });
}

void MainWindowCatalog::ReloadObjects(int side) {
  SideControls& controls = Side(side);
  const std::string database(Trim(controls.databases.CurrentText()));
  controls.objects.SetTag(kBusyTag);
  controls.objects.Clear(false);
  controls.objects.SetTag("");
  controls.structure.SetText("");
  if (database.empty())
    return;  // no database selected on this side: the login's default is not listed instead
  LoadObjects(context_, Server(side), controls.objects, &controls.structure, CurrentType(),
              database, render_);
}

void MainWindowCatalog::ServerChanged(int side) {
  Selector* servers = Side(side).servers;
  if (servers == nullptr || servers->IsBusy())
    return;
  ServerRecord entry;
  entry.Name = servers->CurrentText();
  FindServer(context_, entry);
  CopyEntryToSide(entry, Server(side));
  ClearSide(side);
  LoadServer(side, true);
}

void MainWindowCatalog::DatabaseChanged(int side) {
  SideControls& controls = Side(side);
  if (controls.databases.IsBusy() || window_.IsCommandRunning())
    return;
  const std::string database(Trim(controls.databases.CurrentText()));
  controls.owners.SetTag(kBusyTag);
  controls.owners.Clear();
  controls.owners.SetTag("");
  ReloadObjects(side);
  if (database.empty())
    return;  // no database selected any more: nothing to remember
  LoadOwners(context_, Server(side), database, type_selector_, controls.owners);
  UpdateMRUDb(context_, Server(side), database);
}

void MainWindowCatalog::OwnerChanged(int side) {
  SideControls& controls = Side(side);
  if (controls.owners.IsBusy() || window_.IsCommandRunning())
    return;
  FilterObjectsByOwner(context_, Server(side), controls, CurrentType(), render_);
}

void MainWindowCatalog::ObjectChanged(int side) {
  SideControls& controls = Side(side);
  if (controls.objects.IsBusy())
    return;
  RunGuarded(context_.ui, "frmMain", "pvlSqlObj_SelectChange", [&] {
    if (render_) {
      controls.objects.SetTag(kBusyTag);
      render_(Server(side), controls.objects, controls.structure, CurrentType(),
              Trim(controls.databases.CurrentText()));
      controls.objects.SetTag("");
    }
    if (side != kSource || !window_.IsLoaded() || window_.IsCommandRunning() ||
        !context_.settings.auto_sel_target_obj || controls.objects.IsBusy()) {
      return;
    }
    // Selecting the Target row raises its event, which shows the Target object.
    SelectRowByText(Side(kTarget).objects, controls.objects.CurrentText());
  });
  // The structure text reader clears the tag at its end; so does a failure.
  controls.objects.SetTag("");
}

void MainWindowCatalog::InformationGesture(int side, int modifier_state) {
  if (modifier_state != kInformationGestureModifiers)
    return;
  const ListControl& objects = Side(side).objects;
  const int row = objects.CurrentRow();
  if (row < 0)
    return;
  const auto id = static_cast<std::int64_t>(LeadingNumber(objects.Cell(row, 2)));
  context_.ui.ShowMessage("Id: " + FormatNumberBlankZero(id) + ", Name: " + objects.Cell(row, 0) +
                              ", Ref. Date: " + objects.Cell(row, 1),
                          MessageIcon::kInformation);
}

void MainWindowCatalog::RefreshDisplayForPanel(int side) {
  RunGuarded(context_.ui, "frmMain", "RefreshDisplayForPanel", [&] {
    SideControls& controls = Side(side);
    const std::string selected = controls.objects.CurrentText();
    const std::string owner = controls.owners.CurrentText();
    if (context_.settings.show_owners && !owner.empty() && owner != kAllOwners) {
      // The list keeps following the chosen owner.
      FilterObjectsByOwner(context_, Server(side), controls, CurrentType(), render_);
    } else {
      ReloadObjects(side);
    }
    if (selected.empty())
      return;
    for (int row = 0; row < controls.objects.RowCount(); ++row) {
      if (controls.objects.Cell(row, 0) == selected) {
        if (row != controls.objects.CurrentRow())
          controls.objects.SetCurrentRow(row);
        return;
      }
    }
  });
}

bool MainWindowCatalog::CanViewOwners(int side) {
  if (Side(side).databases.CurrentText().empty()) {
    context_.ui.ShowMessage(kNoDatabaseToViewMessage, MessageIcon::kInformation);
    return false;
  }
  if (Side(side).objects.CurrentText().empty()) {
    context_.ui.ShowMessage(kNoTableToViewMessage, MessageIcon::kInformation);
    return false;
  }
  return true;
}

void MainWindowCatalog::GetAllOwnersCommand(int side) {
  if (!CanViewOwners(side))
    return;
  LoadOwners(context_, Server(side), Trim(Side(side).databases.CurrentText()), type_selector_,
             Side(side).owners);
}

void MainWindowCatalog::GetOwnerCommand(int side) {
  if (!CanViewOwners(side))
    return;
  const std::string name = Side(side).objects.CurrentText();
  const std::string database(Trim(Side(side).databases.CurrentText()));
  std::string owner = GetOwner(context_, Server(side), database, name, CurrentType());
  if (owner.empty() && ComputeNumVersion(Server(side).Version) >= 9) {
    // A same-named object listed as "schema.name": its schema, as the catalogue stores it, is
    // its owner.
    owner = SplitQualifiedName(name).qualifier;
  }
  context_.ui.ShowMessage("Owner: " + owner, MessageIcon::kInformation);
}

}  // namespace korvane
