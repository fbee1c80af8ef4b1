#include "db/data_access_check.h"

#include "base/user_interface.h"
#include "db/data_access_context.h"

namespace korvane {

std::string DataAccessMissingMessage() {
  const std::string breaks = "\r\n\r\n";
  return "The program detected that this computer has no ODBC driver manager installed, "
         "or no SQL Server ODBC driver is registered with it." +
         breaks +
         "To connect to the server this program requires unixODBC and a SQL Server ODBC driver "
         "(FreeTDS, or Microsoft's ODBC Driver 17 or 18 for SQL Server) to be installed." +
         breaks + "On Debian and Ubuntu: apt install unixodbc tdsodbc" + breaks +
         "For more information about installing a SQL Server ODBC driver please visit " + breaks +
         "https://korvane.org/help/odbc" + breaks + "or contact" + breaks + "support@korvane.org.";
}

bool CheckDataAccess(DataAccessContext& context, std::string_view server_name) {
  if (IsEmbeddedServerName(server_name))
    return context.backends.embedded != nullptr;
  if (context.backends.odbc != nullptr && context.backends.odbc_driver_available)
    return true;
  context.ui.ShowMessage(DataAccessMissingMessage(), MessageIcon::kCritical,
                         kDataAccessMissingTitle);
  return false;
}

}  // namespace korvane
