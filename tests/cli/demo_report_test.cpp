// The demo's whole structure report: the two releases of the demo database compared as
// scripts/demo compares them, and with "AnalyzeConstraints" on. Every deliberate difference that
// demo/README.md lists is in it, and nothing else.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/application_context.h"
#include "app/text.h"
#include "cli/cli.h"
#include "cli/compare_command.h"
#include "cli/demo_cli_fixture.h"

namespace korvane {
namespace {

using testing::CommandRun;

// Written with LF line ends and a backslash and t for a tab; the report has CR LF and tabs.
std::string ReportText(std::string_view written) {
  return ReplaceAll(ReplaceAll(written, "\n", "\r\n"), "\\t", "\t");
}

constexpr std::string_view kTypes = R"(Comparison of databases

Source database embedded:demo.FernhollowLive
Target database embedded:demo.FernhollowDev


Comparison of tables
There are 17 tables in Source database.
There are 18 tables in Target database.
List of tables which differ:
\tCustomers
\tInventory
\tOrderLines
\tOrders
\tPayments
\tProducts
\tsales.Regions
\tShippers
\t(8 tables)
List of tables which exist in Source database but not in Target database:
\tNewsletterSubscribers
\t(1 table)
List of tables which exist in Target database but not in Source database:
\tPromotions
\tReturnRequests
\t(2 tables)
All 8 remaining tables have identical structures:
\tAddresses
\tAuditLog
\tCategories
\tEmployees
\tPriceHistory
\tdbo.Regions
\tSuppliers
\tWarehouses

Comparison of procedures
There are 8 procedures in Source database.
There are 9 procedures in Target database.
List of procedures which differ:
\tusp_AddOrderLine
\tusp_ShipOrder
\t(2 procedures)
List of procedures which exist in Source database but not in Target database:
\tusp_DeactivateCustomer
\t(1 procedure)
List of procedures which exist in Target database but not in Source database:
\tusp_ApplyPromotion
\tusp_RequestReturn
\t(2 procedures)
All 5 remaining procedures are identical:
\tusp_GetCustomerOrders
\tusp_MonthlySalesReport
\tusp_ReorderReport
\tusp_SalesDashboard
\tusp_UpdateProductPrice

Comparison of functions
There are 6 functions in Source database.
There are 6 functions in Target database.
List of functions which differ:
\tfn_CustomerStatement
\tfn_OrderTotal
\t(2 functions)
List of functions which exist in Source database but not in Target database:
\tfn_FormatPhone
\t(1 function)
List of functions which exist in Target database but not in Source database:
\tfn_LoyaltyDiscount
\t(1 function)
All 3 remaining functions are identical:
\tfn_CustomerFullName
\tfn_ProductsByCategory
\tfn_StockByWarehouse

Comparison of views
There are 7 views in Source database.
There are 7 views in Target database.
List of views which differ:
\tvw_CustomerOrderSummary
\tvw_OpenOrders
\t(2 views)
List of views which exist in Source database but not in Target database:
\tvw_NewsletterAudience
\t(1 view)
List of views which exist in Target database but not in Source database:
\tvw_ActivePromotions
\t(1 view)
All 4 remaining views are identical:
\tvw_CategoryProductCount
\tvw_EmployeeDirectory
\tvw_LowStock
\tvw_ProductCatalog

Comparison of triggers
There are 4 triggers in Source database.
There are 4 triggers in Target database.
List of triggers which differ:
\ttrg_Orders_Audit
\t(1 trigger)
List of triggers which exist in Source database but not in Target database:
\ttrg_Customers_Audit
\t(1 trigger)
List of triggers which exist in Target database but not in Source database:
\ttrg_Payments_Audit
\t(1 trigger)
All 2 remaining triggers are identical:
\ttrg_Inventory_Counted
\ttrg_Products_PriceHistory

Comparison of relationships
There are 19 relationships in Source database.
There are 20 relationships in Target database.
List of relationships which differ:
\tFK_Orders_Employees
\t(1 relationship)
List of relationships which exist in Source database but not in Target database:
\tFK_NewsletterSubscribers_Customers
\t(1 relationship)
List of relationships which exist in Target database but not in Source database:
\tFK_Promotions_Categories
\tFK_ReturnRequests_OrderLines
\t(2 relationships)
All 17 remaining relationships are identical:
\tFK_Addresses_Customers
\tFK_Categories_Parent
\tFK_Customers_Regions
\tFK_Employees_Manager
\tFK_Inventory_Products
\tFK_Inventory_Warehouses
\tFK_OrderLines_Orders
\tFK_OrderLines_Products
\tFK_Orders_Addresses
\tFK_Orders_Customers
\tFK_Orders_Shippers
\tFK_Payments_Orders
\tFK_PriceHistory_Products
\tFK_Products_Categories
\tFK_Products_Suppliers
\tFK_SalesRegions_Employees
\tFK_Warehouses_Regions

)";

constexpr std::string_view kConstraints = R"(Comparison of constraints
There are 16 constraints in Source database.
There are 17 constraints in Target database.
List of constraints which differ:
\tPK_Inventory
\t(1 constraint)
List of constraints which exist in Source database but not in Target database:
\tPK_NewsletterSubscribers
\t(1 constraint)
List of constraints which exist in Target database but not in Source database:
\tPK__ReturnRe__5DCAEF64
\tPK_Promotions
\t(2 constraints)
All 14 remaining constraints are identical:
\tPK_Addresses
\tPK_Categories
\tPK_Customers
\tPK_Employees
\tPK_OrderLines
\tPK_Orders
\tPK_Payments
\tPK_PriceHistory
\tPK_Products
\tPK_Regions
\tPK_SalesRegions
\tPK_Shippers
\tPK_Suppliers
\tPK_Warehouses

)";

constexpr std::string_view kElapsed = "Time Elapsed: 00:00:00";

class DemoReportTest : public testing::DemoCliTest {
 protected:
  CommandRun Compare(bool analyze_constraints) {
    return Run([&](ApplicationContext& context, std::ostream& out, std::ostream& err) {
      context.settings.analyze_constraints = analyze_constraints;
      return CompareCommand(
          context, {"embedded:demo", "FernhollowLive", "embedded:demo", "FernhollowDev"}, out, err);
    });
  }
};

TEST_F(DemoReportTest, WholeReportHoldsTheDeliberateDifferencesOnly) {
  const CommandRun run = Compare(false);
  EXPECT_EQ(run.status, kExitDifferent) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, ReportText(kTypes) + std::string(kElapsed));
}

TEST_F(DemoReportTest, ConstraintsAreReportedWhenAnalyzed) {
  const CommandRun run = Compare(true);
  EXPECT_EQ(run.status, kExitDifferent) << run.err;
  EXPECT_EQ(run.out, ReportText(kTypes) + ReportText(kConstraints) + std::string(kElapsed));
}

}  // namespace
}  // namespace korvane
