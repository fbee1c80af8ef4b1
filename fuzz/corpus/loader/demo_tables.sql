-- =====================================================================================
-- Fernhollow Trading Co. - order database, release 1 (the live database)
--
-- Garden, outdoor and camping goods wholesaler: suppliers, products and stock in four
-- warehouses, trade and private customers, orders, payments. Schemas dbo and sales.
-- Korvane demo: compare this database with release 2 (Fernhollow_v2.sql).
-- The company and all of its data are fictional.
-- =====================================================================================
SET ANSI_NULLS ON
SET QUOTED_IDENTIFIER ON
SET ANSI_PADDING ON
SET ANSI_WARNINGS ON
SET ARITHABORT ON
SET CONCAT_NULL_YIELDS_NULL ON
SET NUMERIC_ROUNDABORT OFF
SET NOCOUNT ON
GO
CREATE SCHEMA sales AUTHORIZATION dbo
GO
-- ---------------------------------------------------------------------------------
-- Tables
-- ---------------------------------------------------------------------------------

-- Shipping zones (sales.Regions holds the sales territories).
CREATE TABLE dbo.Regions (
    RegionID     tinyint IDENTITY(1,1) NOT NULL,
    Name         nvarchar(40) NOT NULL,
    ShippingRate money NOT NULL CONSTRAINT DF_Regions_ShippingRate DEFAULT (0),
    CONSTRAINT PK_Regions PRIMARY KEY CLUSTERED (RegionID),
    CONSTRAINT UQ_Regions_Name UNIQUE NONCLUSTERED (Name)
)
GO
CREATE TABLE dbo.Employees (
    EmployeeID int IDENTITY(1,1) NOT NULL CONSTRAINT PK_Employees PRIMARY KEY CLUSTERED,
    ManagerID  int NULL CONSTRAINT FK_Employees_Manager REFERENCES dbo.Employees (EmployeeID),
    FirstName  nvarchar(30) NOT NULL,
    LastName   nvarchar(40) NOT NULL,
    JobTitle   nvarchar(60) NOT NULL,
    Email      varchar(100) NOT NULL,
    Extension  varchar(6) NULL,
    HireDate   datetime NOT NULL,
    Salary     money NOT NULL CHECK (Salary > 0),
    IsActive   bit NOT NULL DEFAULT (1)
)
GO
-- Sales territories, each led by an account manager.
CREATE TABLE sales.Regions (
    RegionCode  char(4) NOT NULL,
    Name        nvarchar(50) NOT NULL,
    ManagerID   int NULL,
    AnnualQuota money NOT NULL DEFAULT (0),
    CONSTRAINT PK_SalesRegions PRIMARY KEY CLUSTERED (RegionCode),
    CONSTRAINT FK_SalesRegions_Employees FOREIGN KEY (ManagerID) REFERENCES dbo.Employees (EmployeeID)
)
GO
