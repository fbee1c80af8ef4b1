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
CREATE TABLE dbo.Categories (
    CategoryID       int IDENTITY(1,1) NOT NULL,
    ParentCategoryID int NULL,
    Name             nvarchar(50) NOT NULL,
    Description      nvarchar(200) NULL,
    CONSTRAINT PK_Categories PRIMARY KEY CLUSTERED (CategoryID),
    CONSTRAINT UQ_Categories_Name UNIQUE (Name),
    CONSTRAINT FK_Categories_Parent FOREIGN KEY (ParentCategoryID) REFERENCES dbo.Categories (CategoryID)
)
GO
CREATE TABLE dbo.Suppliers (
    SupplierID  int IDENTITY(1,1) NOT NULL,
    CompanyName nvarchar(80) NOT NULL,
    ContactName nvarchar(60) NULL,
    Phone       varchar(24) NULL,
    Email       varchar(100) NULL,
    City        nvarchar(40) NOT NULL,
    Country     nvarchar(40) NOT NULL,
    Rating      tinyint NOT NULL CONSTRAINT DF_Suppliers_Rating DEFAULT (3)
                CONSTRAINT CK_Suppliers_Rating CHECK (Rating BETWEEN 1 AND 5),
    IsActive    bit NOT NULL DEFAULT 1,
    CONSTRAINT PK_Suppliers PRIMARY KEY CLUSTERED (SupplierID)
)
GO
CREATE TABLE dbo.Shippers (
    ShipperID   int IDENTITY(1,1) NOT NULL,
    Name        nvarchar(50) NOT NULL,
    Phone       varchar(24) NULL,
    Fax         varchar(24) NULL,
    TrackingUrl varchar(200) NULL,
    CONSTRAINT PK_Shippers PRIMARY KEY CLUSTERED (ShipperID)
)
GO
CREATE TABLE dbo.Products (
    ProductID    int IDENTITY(1,1) NOT NULL,
    SKU          varchar(20) NOT NULL,
    Name         nvarchar(100) NOT NULL,
    CategoryID   int NOT NULL,
    SupplierID   int NOT NULL,
    UnitPrice    money NOT NULL,
    UnitCost     money NULL,
    ReorderLevel smallint NOT NULL CONSTRAINT DF_Products_ReorderLevel DEFAULT (10),
    Discontinued bit NOT NULL CONSTRAINT DF_Products_Discontinued DEFAULT (0),
    WeightKg     decimal(8,3) NULL,
    Notes        nvarchar(max) NULL,
    CONSTRAINT PK_Products PRIMARY KEY CLUSTERED (ProductID),
    CONSTRAINT UQ_Products_SKU UNIQUE NONCLUSTERED (SKU),
    CONSTRAINT FK_Products_Categories FOREIGN KEY (CategoryID) REFERENCES dbo.Categories (CategoryID),
    CONSTRAINT FK_Products_Suppliers FOREIGN KEY (SupplierID) REFERENCES dbo.Suppliers (SupplierID),
    CONSTRAINT CK_Products_Price CHECK (UnitPrice >= 0)
)
GO
ALTER TABLE dbo.Products ADD CONSTRAINT CK_Products_Cost CHECK (UnitCost >= 0)
GO
CREATE NONCLUSTERED INDEX IX_Products_Category ON dbo.Products (CategoryID)
CREATE INDEX IX_Products_Supplier ON dbo.Products (SupplierID)
GO
CREATE TABLE dbo.Customers (
    CustomerID    int IDENTITY(1,1) NOT NULL CONSTRAINT PK_Customers PRIMARY KEY CLUSTERED,
    CustomerCode  char(8) NOT NULL CONSTRAINT UQ_Customers_Code UNIQUE,
    CompanyName   nvarchar(80) NULL,
    FirstName     nvarchar(30) NOT NULL,
    LastName      nvarchar(40) NOT NULL,
    Email         varchar(100) NULL,
    Phone         varchar(24) NULL,
    RegionID      tinyint NOT NULL CONSTRAINT FK_Customers_Regions REFERENCES dbo.Regions (RegionID),
    CreditLimit   money NOT NULL CONSTRAINT DF_Customers_CreditLimit DEFAULT (500)
                  CONSTRAINT CK_Customers_CreditLimit CHECK (CreditLimit >= 0),
    CustomerSince datetime NOT NULL,
    IsActive      bit NOT NULL CONSTRAINT DF_Customers_IsActive DEFAULT (1)
)
GO
CREATE INDEX IX_Customers_Name ON dbo.Customers (LastName, FirstName)
GO
CREATE TABLE dbo.Addresses (
    AddressID   int IDENTITY(1,1) NOT NULL,
    CustomerID  int NOT NULL,
    AddressType char(1) NOT NULL DEFAULT ('S') CHECK (AddressType IN ('B', 'S')),
    Line1       nvarchar(60) NOT NULL,
    Line2       nvarchar(60) NULL,
    City        nvarchar(40) NOT NULL,
    PostalCode  varchar(10) NOT NULL,
    Country     nvarchar(40) NOT NULL DEFAULT (N'United Kingdom'),
    CONSTRAINT PK_Addresses PRIMARY KEY CLUSTERED (AddressID),
    CONSTRAINT FK_Addresses_Customers FOREIGN KEY (CustomerID) REFERENCES dbo.Customers (CustomerID)
)
GO
CREATE INDEX IX_Addresses_Customer ON dbo.Addresses (CustomerID, AddressType)
GO
CREATE TABLE dbo.Warehouses (
    WarehouseID smallint IDENTITY(1,1) NOT NULL CONSTRAINT PK_Warehouses PRIMARY KEY,
    Code        char(3) NOT NULL CONSTRAINT UQ_Warehouses_Code UNIQUE NONCLUSTERED,
    Name        nvarchar(50) NOT NULL,
    City        nvarchar(40) NOT NULL,
    RegionID    tinyint NOT NULL,
    Capacity    int NULL,
    CONSTRAINT FK_Warehouses_Regions FOREIGN KEY (RegionID) REFERENCES dbo.Regions (RegionID)
)
GO
-- Stock per warehouse and product.
CREATE TABLE dbo.Inventory (
    WarehouseID    smallint NOT NULL,
    ProductID      int NOT NULL,
    QuantityOnHand int NOT NULL DEFAULT (0),
    BinLocation    varchar(10) NULL,
    LastCounted    datetime NULL,
    CONSTRAINT PK_Inventory PRIMARY KEY CLUSTERED (WarehouseID, ProductID),
    CONSTRAINT FK_Inventory_Warehouses FOREIGN KEY (WarehouseID) REFERENCES dbo.Warehouses (WarehouseID),
    CONSTRAINT FK_Inventory_Products FOREIGN KEY (ProductID) REFERENCES dbo.Products (ProductID),
    CONSTRAINT CK_Inventory_Quantity CHECK (QuantityOnHand >= 0)
)
GO
CREATE TABLE sales.Orders (
    OrderID       int IDENTITY(1000,1) NOT NULL CONSTRAINT PK_Orders PRIMARY KEY CLUSTERED,
    CustomerID    int NOT NULL CONSTRAINT FK_Orders_Customers REFERENCES dbo.Customers (CustomerID),
    EmployeeID    int NOT NULL,
    OrderDate     datetime NOT NULL DEFAULT (getdate()),
    RequiredDate  datetime NULL,
    ShippedDate   datetime NULL,
    ShipperID     int NULL,
    ShipAddressID int NULL,
    Status        char(1) NOT NULL CONSTRAINT DF_Orders_Status DEFAULT ('N'),
    Freight       money NOT NULL DEFAULT (0),
    Comment       nvarchar(400) NULL,
    CONSTRAINT FK_Orders_Employees FOREIGN KEY (EmployeeID) REFERENCES dbo.Employees (EmployeeID),
    CONSTRAINT FK_Orders_Shippers FOREIGN KEY (ShipperID) REFERENCES dbo.Shippers (ShipperID),
    CONSTRAINT CK_Orders_Status CHECK (Status IN ('N', 'P', 'S', 'C')),
    CHECK (ShippedDate >= OrderDate)
)
GO
ALTER TABLE sales.Orders WITH CHECK ADD CONSTRAINT FK_Orders_Addresses
    FOREIGN KEY (ShipAddressID) REFERENCES dbo.Addresses (AddressID)
GO
CREATE NONCLUSTERED INDEX IX_Orders_Customer ON sales.Orders (CustomerID, OrderDate)
GO
CREATE TABLE sales.OrderLines (
    OrderID    int NOT NULL,
    LineNumber smallint NOT NULL,
    ProductID  int NOT NULL,
    Quantity   smallint NOT NULL CHECK (Quantity > 0),
    UnitPrice  money NOT NULL,
    Discount   decimal(4,2) NOT NULL CONSTRAINT DF_OrderLines_Discount DEFAULT (0)
               CONSTRAINT CK_OrderLines_Discount CHECK (Discount BETWEEN 0 AND 0.5),
    CONSTRAINT PK_OrderLines PRIMARY KEY CLUSTERED (OrderID, LineNumber),
    CONSTRAINT FK_OrderLines_Orders FOREIGN KEY (OrderID) REFERENCES sales.Orders (OrderID),
    CONSTRAINT FK_OrderLines_Products FOREIGN KEY (ProductID) REFERENCES dbo.Products (ProductID)
)
GO
CREATE TABLE dbo.Payments (
    PaymentID int IDENTITY(1,1) NOT NULL CONSTRAINT PK_Payments PRIMARY KEY CLUSTERED,
    OrderID   int NOT NULL CONSTRAINT FK_Payments_Orders REFERENCES sales.Orders (OrderID),
    PaidOn    datetime NOT NULL,
    Amount    money NOT NULL CHECK (Amount > 0),
    Method    char(2) NOT NULL CHECK (Method IN ('CC', 'BT', 'CH', 'PP')),
    Reference varchar(40) NULL
)
GO
CREATE TABLE dbo.PriceHistory (
    ProductID int NOT NULL,
    ChangedOn datetime NOT NULL,
    OldPrice  money NOT NULL,
    NewPrice  money NOT NULL,
    ChangedBy sysname NOT NULL DEFAULT (suser_sname()),
    CONSTRAINT PK_PriceHistory PRIMARY KEY CLUSTERED (ProductID, ChangedOn),
    CONSTRAINT FK_PriceHistory_Products FOREIGN KEY (ProductID) REFERENCES dbo.Products (ProductID)
)
GO
/* Written by the audit triggers. The primary key is not clustered: rows are kept in
   the order of their time stamps. */
CREATE TABLE dbo.AuditLog (
    AuditID   bigint IDENTITY(1,1) NOT NULL,
    TableName sysname NOT NULL,
    KeyValue  varchar(40) NOT NULL,
    Action    char(1) NOT NULL CHECK (Action IN ('I', 'U', 'D')),
    ChangedAt datetime NOT NULL DEFAULT (getdate()),
    ChangedBy sysname NOT NULL DEFAULT (suser_sname()),
    CONSTRAINT PK_AuditLog PRIMARY KEY NONCLUSTERED (AuditID)
)
GO
CREATE CLUSTERED INDEX CIX_AuditLog_ChangedAt ON dbo.AuditLog (ChangedAt)
GO
CREATE STATISTICS ST_AuditLog_TableAction ON dbo.AuditLog (TableName, Action)
GO
CREATE TABLE dbo.NewsletterSubscribers (
    SubscriberID int IDENTITY(1,1) NOT NULL,
    Email        varchar(100) NOT NULL UNIQUE,
    CustomerID   int NULL,
    SubscribedOn datetime NOT NULL,
    Confirmed    bit NOT NULL DEFAULT (0),
    CONSTRAINT PK_NewsletterSubscribers PRIMARY KEY CLUSTERED (SubscriberID),
    CONSTRAINT FK_NewsletterSubscribers_Customers FOREIGN KEY (CustomerID) REFERENCES dbo.Customers (CustomerID)
)
GO
-- ---------------------------------------------------------------------------------
-- Data
-- ---------------------------------------------------------------------------------
INSERT INTO dbo.Regions (Name, ShippingRate) VALUES (N'North', 6.95)
INSERT INTO dbo.Regions (Name, ShippingRate) VALUES (N'Midlands', 5.95)
INSERT INTO dbo.Regions (Name, ShippingRate) VALUES (N'South East', 5.95)
INSERT INTO dbo.Regions (Name, ShippingRate) VALUES (N'South West', 6.95)
INSERT INTO dbo.Regions (Name, ShippingRate) VALUES (N'Scotland', 8.95)
INSERT INTO dbo.Regions (Name, ShippingRate) VALUES (N'Wales', 7.50)
GO
SET IDENTITY_INSERT dbo.Employees ON
INSERT INTO dbo.Employees (EmployeeID, ManagerID, FirstName, LastName, JobTitle, Email, Extension, HireDate, Salary, IsActive) VALUES (1, NULL, N'Margaret', N'Ashworth', N'Managing Director', 'margaret.ashworth@fernhollow.example', '100', '19980302', 78000, 1)
INSERT INTO dbo.Employees (EmployeeID, ManagerID, FirstName, LastName, JobTitle, Email, Extension, HireDate, Salary, IsActive) VALUES (2, 1, N'Daniel', N'Okafor', N'Sales Director', 'daniel.okafor@fernhollow.example', '110', '20010514', 56500, 1)
INSERT INTO dbo.Employees (EmployeeID, ManagerID, FirstName, LastName, JobTitle, Email, Extension, HireDate, Salary, IsActive) VALUES (3, 1, N'Priya', N'Raman', N'Finance Manager', 'priya.raman@fernhollow.example', '120', '20020107', 49000, 1)
INSERT INTO dbo.Employees (EmployeeID, ManagerID, FirstName, LastName, JobTitle, Email, Extension, HireDate, Salary, IsActive) VALUES (4, 1, N'Tomasz', N'Wiśniewski', N'Warehouse Manager', 'tomasz.wisniewski@fernhollow.example', '130', '19990823', 41000, 1)
INSERT INTO dbo.Employees (EmployeeID, ManagerID, FirstName, LastName, JobTitle, Email, Extension, HireDate, Salary, IsActive) VALUES (5, 2, N'Eleanor', N'Hartley', N'Account Manager', 'eleanor.hartley@fernhollow.example', '111', '20030310', 33500, 1)
INSERT INTO dbo.Employees (EmployeeID, ManagerID, FirstName, LastName, JobTitle, Email, Extension, HireDate, Salary, IsActive) VALUES (6, 2, N'Callum', N'Reid', N'Account Manager', 'callum.reid@fernhollow.example', '112', '20040601', 31000, 1)
INSERT INTO dbo.Employees (EmployeeID, ManagerID, FirstName, LastName, JobTitle, Email, Extension, HireDate, Salary, IsActive) VALUES (7, 2, N'Sofia', N'Marchetti', N'Account Manager', 'sofia.marchetti@fernhollow.example', '113', '20050117', 30500, 1)
INSERT INTO dbo.Employees (EmployeeID, ManagerID, FirstName, LastName, JobTitle, Email, Extension, HireDate, Salary, IsActive) VALUES (8, 2, N'Ben', N'Thackeray', N'Sales Assistant', 'ben.thackeray@fernhollow.example', '114', '20060206', 21000, 1)
INSERT INTO dbo.Employees (EmployeeID, ManagerID, FirstName, LastName, JobTitle, Email, Extension, HireDate, Salary, IsActive) VALUES (9, 3, N'Aisha', N'Begum', N'Accounts Clerk', 'aisha.begum@fernhollow.example', '121', '20040913', 22500, 1)
INSERT INTO dbo.Employees (EmployeeID, ManagerID, FirstName, LastName, JobTitle, Email, Extension, HireDate, Salary, IsActive) VALUES (10, 4, N'Gareth', N'Lloyd', N'Warehouse Supervisor', 'gareth.lloyd@fernhollow.example', '131', '20010402', 27000, 1)
INSERT INTO dbo.Employees (EmployeeID, ManagerID, FirstName, LastName, JobTitle, Email, Extension, HireDate, Salary, IsActive) VALUES (11, 10, N'Kirsty', N'McLean', N'Picker and Packer', 'kirsty.mclean@fernhollow.example', NULL, '20050321', 16500, 1)
INSERT INTO dbo.Employees (EmployeeID, ManagerID, FirstName, LastName, JobTitle, Email, Extension, HireDate, Salary, IsActive) VALUES (12, 10, N'Jonas', N'Lindqvist', N'Picker and Packer', 'jonas.lindqvist@fernhollow.example', NULL, '20060410', 16000, 1)
INSERT INTO dbo.Employees (EmployeeID, ManagerID, FirstName, LastName, JobTitle, Email, Extension, HireDate, Salary, IsActive) VALUES (13, 2, N'Hannah', N'Pryce', N'Customer Services Adviser', 'hannah.pryce@fernhollow.example', '115', '20030915', 20500, 1)
INSERT INTO dbo.Employees (EmployeeID, ManagerID, FirstName, LastName, JobTitle, Email, Extension, HireDate, Salary, IsActive) VALUES (14, 1, N'Oliver', N'Brandt', N'IT Administrator', 'oliver.brandt@fernhollow.example', '140', '20020819', 34000, 1)
INSERT INTO dbo.Employees (EmployeeID, ManagerID, FirstName, LastName, JobTitle, Email, Extension, HireDate, Salary, IsActive) VALUES (15, 2, N'Rosa', N'Delgado', N'Account Manager', 'rosa.delgado@fernhollow.example', NULL, '20020225', 32000, 0)
SET IDENTITY_INSERT dbo.Employees OFF
GO
INSERT INTO sales.Regions (RegionCode, Name, ManagerID, AnnualQuota) VALUES ('NRTH', N'North and Yorkshire', 5, 420000)
INSERT INTO sales.Regions (RegionCode, Name, ManagerID, AnnualQuota) VALUES ('MIDL', N'Midlands', 6, 380000)
INSERT INTO sales.Regions (RegionCode, Name, ManagerID, AnnualQuota) VALUES ('STHE', N'London and South East', 7, 610000)
INSERT INTO sales.Regions (RegionCode, Name, ManagerID, AnnualQuota) VALUES ('STHW', N'South West and Wales', 5, 290000)
INSERT INTO sales.Regions (RegionCode, Name, ManagerID, AnnualQuota) VALUES ('SCOT', N'Scotland', 6, 180000)
GO
INSERT INTO dbo.Categories (ParentCategoryID, Name, Description) VALUES (NULL, N'Garden Tools', N'Tools for digging, cutting and pruning')
INSERT INTO dbo.Categories (ParentCategoryID, Name, Description) VALUES (1, N'Hand Tools', N'Spades, forks, trowels and secateurs')
INSERT INTO dbo.Categories (ParentCategoryID, Name, Description) VALUES (1, N'Power Tools', N'Electric and petrol garden machinery')
INSERT INTO dbo.Categories (ParentCategoryID, Name, Description) VALUES (NULL, N'Watering', N'Cans, butts and irrigation')
INSERT INTO dbo.Categories (ParentCategoryID, Name, Description) VALUES (4, N'Hoses & Fittings', N'Hoses, reels, connectors and spray guns')
INSERT INTO dbo.Categories (ParentCategoryID, Name, Description) VALUES (NULL, N'Seeds & Bulbs', NULL)
INSERT INTO dbo.Categories (ParentCategoryID, Name, Description) VALUES (NULL, N'Outdoor Living', N'Everything for the garden as a room')
INSERT INTO dbo.Categories (ParentCategoryID, Name, Description) VALUES (7, N'Garden Furniture', N'Benches, tables and chairs in hardwood and metal')
INSERT INTO dbo.Categories (ParentCategoryID, Name, Description) VALUES (7, N'Barbecues', N'Charcoal and gas barbecues with accessories')
INSERT INTO dbo.Categories (ParentCategoryID, Name, Description) VALUES (NULL, N'Camping', N'Sleeping bags, mats and camp kitchen')
INSERT INTO dbo.Categories (ParentCategoryID, Name, Description) VALUES (10, N'Tents & Shelters', N'Tents, gazebos and windbreaks')
INSERT INTO dbo.Categories (ParentCategoryID, Name, Description) VALUES (7, N'Lighting', N'Solar and mains garden lighting')
GO
INSERT INTO dbo.Suppliers (CompanyName, ContactName, Phone, Email, City, Country, Rating, IsActive) VALUES (N'Brackenridge Forge Ltd', N'Alan Brackenridge', '0114 496 0231', 'orders@brackenridge-forge.example', N'Sheffield', N'United Kingdom', 5, 1)
INSERT INTO dbo.Suppliers (CompanyName, ContactName, Phone, Email, City, Country, Rating, IsActive) VALUES (N'Tamsin & Hale Horticulture', N'Tamsin Hale', '01603 496 118', 'trade@tamsinhale.example', N'Norwich', N'United Kingdom', 4, 1)
INSERT INTO dbo.Suppliers (CompanyName, ContactName, Phone, Email, City, Country, Rating, IsActive) VALUES (N'Nordvik Utendørs AS', N'Ingrid Nordvik', '+47 55 50 12 34', 'salg@nordvik-utendors.example', N'Bergen', N'Norway', 4, 1)
INSERT INTO dbo.Suppliers (CompanyName, ContactName, Phone, Email, City, Country, Rating, IsActive) VALUES (N'Kestrel Plastics', N'Raj Patel', '0116 496 0744', 'sales@kestrelplastics.example', N'Leicester', N'United Kingdom', 3, 1)
INSERT INTO dbo.Suppliers (CompanyName, ContactName, Phone, Email, City, Country, Rating, IsActive) VALUES (N'Maplecroft Timber Co.', N'Joan Maplecroft', '01432 496 552', 'joan@maplecroft.example', N'Hereford', N'United Kingdom', 5, 1)
INSERT INTO dbo.Suppliers (CompanyName, ContactName, Phone, Email, City, Country, Rating, IsActive) VALUES (N'Ostwald Gartentechnik GmbH', N'Jürgen Ostwald', '+49 731 555 0190', 'export@ostwald-garten.example', N'Ulm', N'Germany', 4, 1)
INSERT INTO dbo.Suppliers (CompanyName, ContactName, Phone, Email, City, Country, Rating, IsActive) VALUES (N'Sunbright Lighting', NULL, '01793 496 301', 'hello@sunbright.example', N'Swindon', N'United Kingdom', 2, 1)
INSERT INTO dbo.Suppliers (CompanyName, ContactName, Phone, Email, City, Country, Rating, IsActive) VALUES (N'Pennine Canvas Works', N'Stuart Ackroyd', '01422 496 870', 'stuart@penninecanvas.example', N'Halifax', N'United Kingdom', 4, 1)
INSERT INTO dbo.Suppliers (CompanyName, ContactName, Phone, Email, City, Country, Rating, IsActive) VALUES (N'Lumière Jardin SARL', N'Camille Roussel', '+33 2 41 55 01 77', 'contact@lumiere-jardin.example', N'Angers', N'France', 3, 1)
INSERT INTO dbo.Suppliers (CompanyName, ContactName, Phone, Email, City, Country, Rating, IsActive) VALUES (N'Harrowgate Seeds', N'Peter Harrowgate', '01205 496 412', NULL, N'Boston', N'United Kingdom', 3, 0)
GO
SET IDENTITY_INSERT dbo.Shippers ON
INSERT INTO dbo.Shippers (ShipperID, Name, Phone, Fax, TrackingUrl) VALUES (1, N'Swiftline Parcels', '0800 496 0101', '0800 496 0102', 'http://track.swiftline.example/?ref=')
INSERT INTO dbo.Shippers (ShipperID, Name, Phone, Fax, TrackingUrl) VALUES (2, N'Redkite Couriers', '0845 496 2200', NULL, 'http://www.redkite.example/track/')
INSERT INTO dbo.Shippers (ShipperID, Name, Phone, Fax, TrackingUrl) VALUES (3, N'Caledonian Haulage', '0141 496 0888', '0141 496 0889', NULL)
INSERT INTO dbo.Shippers (ShipperID, Name, Phone, Fax, TrackingUrl) VALUES (4, N'Collected by customer', NULL, NULL, NULL)
SET IDENTITY_INSERT dbo.Shippers OFF
GO
SET IDENTITY_INSERT dbo.Products ON
INSERT INTO dbo.Products (ProductID, SKU, Name, CategoryID, SupplierID, UnitPrice, UnitCost, ReorderLevel, Discontinued, WeightKg, Notes) VALUES (1, 'HT-1001', N'Stainless Steel Border Spade', 2, 1, 34.95, 17.20, 10, 0, 1.850, NULL)
INSERT INTO dbo.Products (ProductID, SKU, Name, CategoryID, SupplierID, UnitPrice, UnitCost, ReorderLevel, Discontinued, WeightKg, Notes) VALUES (2, 'HT-1002', N'Ash-Handled Digging Fork', 2, 1, 32.50, 15.80, 10, 0, 1.900, NULL)
INSERT INTO dbo.Products (ProductID, SKU, Name, CategoryID, SupplierID, UnitPrice, UnitCost, ReorderLevel, Discontinued, WeightKg, Notes) VALUES (3, 'HT-1003', N'Bypass Secateurs', 2, 1, 24.95, 9.40, 20, 0, 0.240, N'Spare blades: HT-1003-B.')
INSERT INTO dbo.Products (ProductID, SKU, Name, CategoryID, SupplierID, UnitPrice, UnitCost, ReorderLevel, Discontinued, WeightKg, Notes) VALUES (4, 'HT-1004', N'Hand Trowel and Fork Set', 2, 1, 14.99, 5.60, 25, 0, 0.450, NULL)
INSERT INTO dbo.Products (ProductID, SKU, Name, CategoryID, SupplierID, UnitPrice, UnitCost, ReorderLevel, Discontinued, WeightKg, Notes) VALUES (5, 'HT-1005', N'Telescopic Hedge Shears', 2, 1, 39.00, 18.25, 8, 0, 1.300, NULL)
INSERT INTO dbo.Products (ProductID, SKU, Name, CategoryID, SupplierID, UnitPrice, UnitCost, ReorderLevel, Discontinued, WeightKg, Notes) VALUES (6, 'HT-1006', N'Long-Handled Loppers', 2, 1, 29.95, 13.10, 10, 0, 1.150, NULL)
INSERT INTO dbo.Products (ProductID, SKU, Name, CategoryID, SupplierID, UnitPrice, UnitCost, ReorderLevel, Discontinued, WeightKg, Notes) VALUES (7, 'PT-2001', N'Cordless Hedge Trimmer 18V', 3, 6, 119.00, 71.40, 5, 0, 2.900, N'Battery and charger included.')
INSERT INTO dbo.Products (ProductID, SKU, Name, CategoryID, SupplierID, UnitPrice, UnitCost, ReorderLevel, Discontinued, WeightKg, Notes) VALUES (8, 'PT-2002', N'Electric Lawn Mower 1400W', 3, 6, 149.00, 92.00, 4, 0, 11.500, NULL)
INSERT INTO dbo.Products (ProductID, SKU, Name, CategoryID, SupplierID, UnitPrice, UnitCost, ReorderLevel, Discontinued, WeightKg, Notes) VALUES (9, 'PT-2003', N'Petrol Leaf Blower', 3, 6, 189.00, 121.50, 3, 0, 5.200, N'Ships without fuel.')
INSERT INTO dbo.Products (ProductID, SKU, Name, CategoryID, SupplierID, UnitPrice, UnitCost, ReorderLevel, Discontinued, WeightKg, Notes) VALUES (10, 'PT-2004', N'Grass Trimmer 500W', 3, 6, 59.95, 33.00, 6, 0, 2.600, NULL)
INSERT INTO dbo.Products (ProductID, SKU, Name, CategoryID, SupplierID, UnitPrice, UnitCost, ReorderLevel, Discontinued, WeightKg, Notes) VALUES (11, 'PT-2005', N'Garden Shredder 2500W', 3, 6, 229.00, 148.00, 2, 0, 24.000, N'Supplied with a 60 l collection bag.')
INSERT INTO dbo.Products (ProductID, SKU, Name, CategoryID, SupplierID, UnitPrice, UnitCost, ReorderLevel, Discontinued, WeightKg, Notes) VALUES (12, 'WA-3001', N'Reinforced Garden Hose 25 m', 5, 4, 22.95, 9.80, 15, 0, 2.800, NULL)
INSERT INTO dbo.Products (ProductID, SKU, Name, CategoryID, SupplierID, UnitPrice, UnitCost, ReorderLevel, Discontinued, WeightKg, Notes) VALUES (13, 'WA-3002', N'Hose Reel Cart', 5, 4, 44.95, 21.00, 6, 0, 6.400, NULL)
INSERT INTO dbo.Products (ProductID, SKU, Name, CategoryID, SupplierID, UnitPrice, UnitCost, ReorderLevel, Discontinued, WeightKg, Notes) VALUES (14, 'WA-3003', N'Multi-Pattern Spray Gun', 5, 4, 9.99, 3.70, 30, 0, 0.310, NULL)
INSERT INTO dbo.Products (ProductID, SKU, Name, CategoryID, SupplierID, UnitPrice, UnitCost, ReorderLevel, Discontinued, WeightKg, Notes) VALUES (15, 'WA-3004', N'Hose Connector Set (6 pieces)', 5, 4, 6.49, 2.10, 40, 0, 0.180, NULL)
INSERT INTO dbo.Products (ProductID, SKU, Name, CategoryID, SupplierID, UnitPrice, UnitCost, ReorderLevel, Discontinued, WeightKg, Notes) VALUES (16, 'WA-3101', N'Galvanised Watering Can 9 l', 4, 4, 27.50, 12.90, 10, 0, 1.400, NULL)
INSERT INTO dbo.Products (ProductID, SKU, Name, CategoryID, SupplierID, UnitPrice, UnitCost, ReorderLevel, Discontinued, WeightKg, Notes) VALUES (17, 'WA-3102', N'Rainwater Butt 210 l with Stand', 4, 4, 64.00, 31.00, 5, 0, 7.800, N'Oversized parcel: carrier 3 only.')
INSERT INTO dbo.Products (ProductID, SKU, Name, CategoryID, SupplierID, UnitPrice, UnitCost, ReorderLevel, Discontinued, WeightKg, Notes) VALUES (18, 'WA-3103', N'Drip Irrigation Kit', 4, 4, 34.95, 15.20, 8, 0, 1.100, NULL)
INSERT INTO dbo.Products (ProductID, SKU, Name, CategoryID, SupplierID, UnitPrice, UnitCost, ReorderLevel, Discontinued, WeightKg, Notes) VALUES (19, 'SB-4001', N'Wildflower Meadow Seed Mix 500 g', 6, 10, 11.95, 4.10, 30, 0, 0.500, NULL)
INSERT INTO dbo.Products (ProductID, SKU, Name, CategoryID, SupplierID, UnitPrice, UnitCost, ReorderLevel, Discontinued, WeightKg, Notes) VALUES (20, 'SB-4002', N'Hardwearing Lawn Seed 2 kg', 6, 10, 18.50, 7.60, 25, 0, 2.000, NULL)
INSERT INTO dbo.Products (ProductID, SKU, Name, CategoryID, SupplierID, UnitPrice, UnitCost, ReorderLevel, Discontinued, WeightKg, Notes) VALUES (21, 'SB-4003', N'Daffodil Bulbs (50)', 6, 10, 12.99, 5.20, 40, 0, 1.600, N'Seasonal: August to November.')
INSERT INTO dbo.Products (ProductID, SKU, Name, CategoryID, SupplierID, UnitPrice, UnitCost, ReorderLevel, Discontinued, WeightKg, Notes) VALUES (22, 'SB-4004', N'Heritage Tomato Seeds', 6, 10, 2.95, 0.80, 50, 0, 0.020, NULL)
INSERT INTO dbo.Products (ProductID, SKU, Name, CategoryID, SupplierID, UnitPrice, UnitCost, ReorderLevel, Discontinued, WeightKg, Notes) VALUES (23, 'SB-4005', N'Sweet Pea Seeds ''Old Spice''', 6, 10, 3.25, 0.95, 50, 0, 0.020, N'A mix of scented heritage varieties. Sow in October or March; pinch out the tips at three pairs of leaves.')
INSERT INTO dbo.Products (ProductID, SKU, Name, CategoryID, SupplierID, UnitPrice, UnitCost, ReorderLevel, Discontinued, WeightKg, Notes) VALUES (24, 'GF-5001', N'Hardwood Bench 3-Seater', 8, 5, 249.00, 141.00, 2, 0, 32.000, NULL)
INSERT INTO dbo.Products (ProductID, SKU, Name, CategoryID, SupplierID, UnitPrice, UnitCost, ReorderLevel, Discontinued, WeightKg, Notes) VALUES (25, 'GF-5002', N'Folding Bistro Set', 8, 5, 129.00, 70.00, 3, 0, 14.500, NULL)
INSERT INTO dbo.Products (ProductID, SKU, Name, CategoryID, SupplierID, UnitPrice, UnitCost, ReorderLevel, Discontinued, WeightKg, Notes) VALUES (26, 'GF-5003', N'Teak Garden Table 150 cm', 8, 5, 389.00, 232.00, 1, 0, 41.000, N'Made to order, 3 weeks.')
INSERT INTO dbo.Products (ProductID, SKU, Name, CategoryID, SupplierID, UnitPrice, UnitCost, ReorderLevel, Discontinued, WeightKg, Notes) VALUES (27, 'GF-5004', N'Adirondack Chair', 8, 5, 159.00, 88.00, 2, 0, 16.000, NULL)
INSERT INTO dbo.Products (ProductID, SKU, Name, CategoryID, SupplierID, UnitPrice, UnitCost, ReorderLevel, Discontinued, WeightKg, Notes) VALUES (28, 'GF-5005', N'Seat Cushion, Sage Green', 8, 8, 12.50, 4.90, 20, 0, 0.600, NULL)
INSERT INTO dbo.Products (ProductID, SKU, Name, CategoryID, SupplierID, UnitPrice, UnitCost, ReorderLevel, Discontinued, WeightKg, Notes) VALUES (29, 'BB-6001', N'Charcoal Kettle Barbecue 57 cm', 9, 6, 139.00, 82.00, 3, 0, 15.000, NULL)
INSERT INTO dbo.Products (ProductID, SKU, Name, CategoryID, SupplierID, UnitPrice, UnitCost, ReorderLevel, Discontinued, WeightKg, Notes) VALUES (30, 'BB-6002', N'Gas Barbecue 3-Burner', 9, 6, 349.00, 221.00, 2, 0, 38.000, NULL)
INSERT INTO dbo.Products (ProductID, SKU, Name, CategoryID, SupplierID, UnitPrice, UnitCost, ReorderLevel, Discontinued, WeightKg, Notes) VALUES (31, 'BB-6003', N'Barbecue Tool Set (3 pieces)', 9, 1, 19.95, 7.40, 12, 0, 0.900, NULL)
INSERT INTO dbo.Products (ProductID, SKU, Name, CategoryID, SupplierID, UnitPrice, UnitCost, ReorderLevel, Discontinued, WeightKg, Notes) VALUES (32, 'BB-6004', N'Lumpwood Charcoal 10 kg', 9, 3, 11.49, 5.10, 40, 0, 10.000, NULL)
INSERT INTO dbo.Products (ProductID, SKU, Name, CategoryID, SupplierID, UnitPrice, UnitCost, ReorderLevel, Discontinued, WeightKg, Notes) VALUES (33, 'BB-6005', N'Portable Barbecue Grill', 9, 6, 34.95, 17.80, 6, 0, 4.300, NULL)
INSERT INTO dbo.Products (ProductID, SKU, Name, CategoryID, SupplierID, UnitPrice, UnitCost, ReorderLevel, Discontinued, WeightKg, Notes) VALUES (34, 'CA-7001', N'Ridge Tent 2-Person', 11, 8, 89.00, 47.00, 4, 0, 3.100, NULL)
INSERT INTO dbo.Products (ProductID, SKU, Name, CategoryID, SupplierID, UnitPrice, UnitCost, ReorderLevel, Discontinued, WeightKg, Notes) VALUES (35, 'CA-7002', N'Family Tent 6-Person', 11, 3, 299.00, 176.00, 2, 0, 14.800, NULL)
INSERT INTO dbo.Products (ProductID, SKU, Name, CategoryID, SupplierID, UnitPrice, UnitCost, ReorderLevel, Discontinued, WeightKg, Notes) VALUES (36, 'CA-7003', N'Pop-Up Gazebo 3 x 3 m', 11, 8, 79.95, 38.00, 4, 0, 12.000, NULL)
INSERT INTO dbo.Products (ProductID, SKU, Name, CategoryID, SupplierID, UnitPrice, UnitCost, ReorderLevel, Discontinued, WeightKg, Notes) VALUES (37, 'CA-7101', N'Sleeping Bag 3-Season', 10, 3, 49.95, 24.50, 6, 0, 1.700, NULL)
INSERT INTO dbo.Products (ProductID, SKU, Name, CategoryID, SupplierID, UnitPrice, UnitCost, ReorderLevel, Discontinued, WeightKg, Notes) VALUES (38, 'CA-7102', N'Self-Inflating Mat', 10, 3, 39.00, 18.00, 6, 0, 1.200, NULL)
INSERT INTO dbo.Products (ProductID, SKU, Name, CategoryID, SupplierID, UnitPrice, UnitCost, ReorderLevel, Discontinued, WeightKg, Notes) VALUES (39, 'LI-8001', N'Solar Path Lights (pack of 8)', 12, 7, 29.99, 11.00, 15, 0, 1.300, NULL)
INSERT INTO dbo.Products (ProductID, SKU, Name, CategoryID, SupplierID, UnitPrice, UnitCost, ReorderLevel, Discontinued, WeightKg, Notes) VALUES (40, 'LI-8002', N'Festoon Lights 10 m', 12, 9, 44.50, 21.40, 8, 0, 1.000, NULL)
SET IDENTITY_INSERT dbo.Products OFF
GO
SET IDENTITY_INSERT dbo.Customers ON
INSERT INTO dbo.Customers (CustomerID, CustomerCode, CompanyName, FirstName, LastName, Email, Phone, RegionID, CreditLimit, CustomerSince, IsActive) VALUES (1, 'FH000001', N'Willowbank Garden Centre', N'Helen', N'Carver', 'helen@willowbank.example', '01632 960118', 1, 15000, '20011003', 1)
INSERT INTO dbo.Customers (CustomerID, CustomerCode, CompanyName, FirstName, LastName, Email, Phone, RegionID, CreditLimit, CustomerSince, IsActive) VALUES (2, 'FH000002', N'The Potting Shed', N'Graham', N'Fielding', 'graham@pottingshed.example', '01632 960245', 2, 5000, '20020211', 1)
INSERT INTO dbo.Customers (CustomerID, CustomerCode, CompanyName, FirstName, LastName, Email, Phone, RegionID, CreditLimit, CustomerSince, IsActive) VALUES (3, 'FH000003', NULL, N'Siobhan', N'O''Leary', 'siobhan.oleary@mail.example', '01632 960377', 3, 500, '20020619', 1)
INSERT INTO dbo.Customers (CustomerID, CustomerCode, CompanyName, FirstName, LastName, Email, Phone, RegionID, CreditLimit, CustomerSince, IsActive) VALUES (4, 'FH000004', N'Greenfinch Nurseries', N'Martin', N'Ellwood', 'accounts@greenfinch.example', '01632 960402', 4, 12000, '20021104', 1)
INSERT INTO dbo.Customers (CustomerID, CustomerCode, CompanyName, FirstName, LastName, Email, Phone, RegionID, CreditLimit, CustomerSince, IsActive) VALUES (5, 'FH000005', NULL, N'Ruth', N'Abernethy', 'ruth.abernethy@mail.example', NULL, 5, 500, '20030127', 1)
INSERT INTO dbo.Customers (CustomerID, CustomerCode, CompanyName, FirstName, LastName, Email, Phone, RegionID, CreditLimit, CustomerSince, IsActive) VALUES (6, 'FH000006', N'Harbour Hardware', N'Kevin', N'Marsh', 'kevin@harbourhardware.example', '01632 960561', 4, 3000, '20030305', 1)
INSERT INTO dbo.Customers (CustomerID, CustomerCode, CompanyName, FirstName, LastName, Email, Phone, RegionID, CreditLimit, CustomerSince, IsActive) VALUES (7, 'FH000007', NULL, N'Amelia', N'Thornton', 'amelia.t@mail.example', '01632 960623', 3, 500, '20030722', 1)
INSERT INTO dbo.Customers (CustomerID, CustomerCode, CompanyName, FirstName, LastName, Email, Phone, RegionID, CreditLimit, CustomerSince, IsActive) VALUES (8, 'FH000008', N'Moorside Camping & Leisure', N'Neil', N'Haworth', 'neil@moorside.example', '01632 960789', 1, 8000, '20030918', 1)
INSERT INTO dbo.Customers (CustomerID, CustomerCode, CompanyName, FirstName, LastName, Email, Phone, RegionID, CreditLimit, CustomerSince, IsActive) VALUES (9, 'FH000009', NULL, N'Farid', N'Haddad', 'farid.haddad@mail.example', '01632 960814', 2, 750, '20031201', 1)
INSERT INTO dbo.Customers (CustomerID, CustomerCode, CompanyName, FirstName, LastName, Email, Phone, RegionID, CreditLimit, CustomerSince, IsActive) VALUES (10, 'FH000010', N'Bluebell Landscapes', N'Carys', N'Griffiths', 'carys@bluebell-landscapes.example', '01632 960932', 6, 6000, '20040114', 1)
INSERT INTO dbo.Customers (CustomerID, CustomerCode, CompanyName, FirstName, LastName, Email, Phone, RegionID, CreditLimit, CustomerSince, IsActive) VALUES (11, 'FH000011', NULL, N'Jean-Luc', N'Moreau', 'jl.moreau@mail.example', NULL, 3, 500, '20040302', 1)
INSERT INTO dbo.Customers (CustomerID, CustomerCode, CompanyName, FirstName, LastName, Email, Phone, RegionID, CreditLimit, CustomerSince, IsActive) VALUES (12, 'FH000012', N'Thistle & Rose Garden Supplies', N'Fiona', N'Campbell', 'fiona@thistleandrose.example', '01632 960157', 5, 10000, '20040415', 1)
INSERT INTO dbo.Customers (CustomerID, CustomerCode, CompanyName, FirstName, LastName, Email, Phone, RegionID, CreditLimit, CustomerSince, IsActive) VALUES (13, 'FH000013', NULL, N'Michael', N'Brennan', 'mick.brennan@mail.example', '01632 960266', 1, 500, '20040528', 1)
INSERT INTO dbo.Customers (CustomerID, CustomerCode, CompanyName, FirstName, LastName, Email, Phone, RegionID, CreditLimit, CustomerSince, IsActive) VALUES (14, 'FH000014', N'Riverside Allotment Society', N'Doreen', N'Pickering', NULL, '01632 960391', 2, 1500, '20040706', 1)
INSERT INTO dbo.Customers (CustomerID, CustomerCode, CompanyName, FirstName, LastName, Email, Phone, RegionID, CreditLimit, CustomerSince, IsActive) VALUES (15, 'FH000015', N'Oakhurst Estates', N'Charles', N'Whitcombe', 'estate.office@oakhurst.example', '01632 960448', 3, 1000, '20040819', 1)
INSERT INTO dbo.Customers (CustomerID, CustomerCode, CompanyName, FirstName, LastName, Email, Phone, RegionID, CreditLimit, CustomerSince, IsActive) VALUES (16, 'FH000016', NULL, N'Zoë', N'Lambert', 'zoe.lambert@mail.example', '01632 960572', 4, 500, '20041011', 1)
INSERT INTO dbo.Customers (CustomerID, CustomerCode, CompanyName, FirstName, LastName, Email, Phone, RegionID, CreditLimit, CustomerSince, IsActive) VALUES (17, 'FH000017', N'Kingfisher DIY', N'Sanjay', N'Mehta', 'buying@kingfisherdiy.example', '01632 960688', 2, 20000, '20041122', 1)
INSERT INTO dbo.Customers (CustomerID, CustomerCode, CompanyName, FirstName, LastName, Email, Phone, RegionID, CreditLimit, CustomerSince, IsActive) VALUES (18, 'FH000018', NULL, N'Bethan', N'Morgan', 'bethan.morgan@mail.example', '01632 960715', 6, 500, '20050110', 1)
INSERT INTO dbo.Customers (CustomerID, CustomerCode, CompanyName, FirstName, LastName, Email, Phone, RegionID, CreditLimit, CustomerSince, IsActive) VALUES (19, 'FH000019', N'Heathercombe Holiday Park', N'Robert', N'Penhale', 'office@heathercombe.example', '01632 960843', 4, 4000, '20050223', 1)
INSERT INTO dbo.Customers (CustomerID, CustomerCode, CompanyName, FirstName, LastName, Email, Phone, RegionID, CreditLimit, CustomerSince, IsActive) VALUES (20, 'FH000020', NULL, N'Lars', N'Eriksen', 'lars.eriksen@mail.example', NULL, 5, 500, '20050331', 0)
INSERT INTO dbo.Customers (CustomerID, CustomerCode, CompanyName, FirstName, LastName, Email, Phone, RegionID, CreditLimit, CustomerSince, IsActive) VALUES (21, 'FH000021', N'Copperbeech Garden Centre', N'Alison', N'Nutt', 'alison@copperbeech.example', '01632 960127', 3, 15000, '20050412', 1)
INSERT INTO dbo.Customers (CustomerID, CustomerCode, CompanyName, FirstName, LastName, Email, Phone, RegionID, CreditLimit, CustomerSince, IsActive) VALUES (22, 'FH000022', NULL, N'Tariq', N'Rahman', 'tariq.rahman@mail.example', '01632 960239', 2, 500, '20050526', 1)
INSERT INTO dbo.Customers (CustomerID, CustomerCode, CompanyName, FirstName, LastName, Email, Phone, RegionID, CreditLimit, CustomerSince, IsActive) VALUES (23, 'FH000023', N'Fellside Outdoor', N'Ian', N'Braithwaite', 'ian@fellside.example', '01632 960354', 1, 7000, '20050614', 1)
INSERT INTO dbo.Customers (CustomerID, CustomerCode, CompanyName, FirstName, LastName, Email, Phone, RegionID, CreditLimit, CustomerSince, IsActive) VALUES (24, 'FH000024', NULL, N'Grace', N'Adeyemi', 'grace.adeyemi@mail.example', '01632 960466', 3, 500, '20050729', 1)
INSERT INTO dbo.Customers (CustomerID, CustomerCode, CompanyName, FirstName, LastName, Email, Phone, RegionID, CreditLimit, CustomerSince, IsActive) VALUES (25, 'FH000025', N'St Aidan''s Primary School', N'Margaret', N'Hollis', 'office@staidans.example', '01632 960593', 1, 1000, '20050905', 1)
INSERT INTO dbo.Customers (CustomerID, CustomerCode, CompanyName, FirstName, LastName, Email, Phone, RegionID, CreditLimit, CustomerSince, IsActive) VALUES (26, 'FH000026', NULL, N'Owen', N'Pritchard', 'owen.pritchard@mail.example', '01632 960607', 6, 500, '20051017', 1)
INSERT INTO dbo.Customers (CustomerID, CustomerCode, CompanyName, FirstName, LastName, Email, Phone, RegionID, CreditLimit, CustomerSince, IsActive) VALUES (27, 'FH000027', N'Lavender Lane Florists', N'Nadia', N'Kowalczyk', 'nadia@lavenderlane.example', '01632 960731', 3, 2500, '20051128', 1)
INSERT INTO dbo.Customers (CustomerID, CustomerCode, CompanyName, FirstName, LastName, Email, Phone, RegionID, CreditLimit, CustomerSince, IsActive) VALUES (28, 'FH000028', NULL, N'Hamish', N'Ross', 'hamish.ross@mail.example', '01632 960856', 5, 500, '20060109', 1)
INSERT INTO dbo.Customers (CustomerID, CustomerCode, CompanyName, FirstName, LastName, Email, Phone, RegionID, CreditLimit, CustomerSince, IsActive) VALUES (29, 'FH000029', N'Westcombe Golf Club', N'Jeremy', N'Ainsworth', 'greenkeeper@westcombegolf.example', '01632 960964', 4, 5000, '20060220', 1)
INSERT INTO dbo.Customers (CustomerID, CustomerCode, CompanyName, FirstName, LastName, Email, Phone, RegionID, CreditLimit, CustomerSince, IsActive) VALUES (30, 'FH000030', NULL, N'Mei', N'Chen', 'mei.chen@mail.example', '01632 960172', 2, 500, '20060313', 1)
INSERT INTO dbo.Customers (CustomerID, CustomerCode, CompanyName, FirstName, LastName, Email, Phone, RegionID, CreditLimit, CustomerSince, IsActive) VALUES (31, 'FH000031', N'Hollybush Care Home', N'Patricia', N'Dunmore', 'maintenance@hollybush.example', '01632 960284', 2, 1500, '20060404', 1)
INSERT INTO dbo.Customers (CustomerID, CustomerCode, CompanyName, FirstName, LastName, Email, Phone, RegionID, CreditLimit, CustomerSince, IsActive) VALUES (32, 'FH000032', NULL, N'Declan', N'Murphy', 'declan.murphy@mail.example', '01632 960319', 1, 500, '20060502', 1)
INSERT INTO dbo.Customers (CustomerID, CustomerCode, CompanyName, FirstName, LastName, Email, Phone, RegionID, CreditLimit, CustomerSince, IsActive) VALUES (33, 'FH000033', N'Beacon Hill Campsite', N'Sarah', N'Oldroyd', 'bookings@beaconhill.example', '01632 960425', 1, 3000, '20060518', 1)
INSERT INTO dbo.Customers (CustomerID, CustomerCode, CompanyName, FirstName, LastName, Email, Phone, RegionID, CreditLimit, CustomerSince, IsActive) VALUES (34, 'FH000034', NULL, N'Emily', N'Fairbairn', 'emily.fairbairn@mail.example', '01632 960536', 5, 500, '20060621', 1)
INSERT INTO dbo.Customers (CustomerID, CustomerCode, CompanyName, FirstName, LastName, Email, Phone, RegionID, CreditLimit, CustomerSince, IsActive) VALUES (35, 'FH000035', NULL, N'Yusuf', N'Demir', 'yusuf.demir@mail.example', NULL, 3, 500, '20060719', 1)
INSERT INTO dbo.Customers (CustomerID, CustomerCode, CompanyName, FirstName, LastName, Email, Phone, RegionID, CreditLimit, CustomerSince, IsActive) VALUES (36, 'FH000036', N'Marigold Community Garden', N'Julie', N'Hancock', 'marigold.garden@mail.example', '01632 960697', 2, 1000, '20060808', 1)
INSERT INTO dbo.Customers (CustomerID, CustomerCode, CompanyName, FirstName, LastName, Email, Phone, RegionID, CreditLimit, CustomerSince, IsActive) VALUES (37, 'FH000037', NULL, N'Thomas', N'Kerr', 'thomas.kerr@mail.example', '01632 960748', 5, 500, '20060914', 1)
INSERT INTO dbo.Customers (CustomerID, CustomerCode, CompanyName, FirstName, LastName, Email, Phone, RegionID, CreditLimit, CustomerSince, IsActive) VALUES (38, 'FH000038', NULL, N'Olivia', N'Stanton', 'olivia.stanton@mail.example', '01632 960869', 3, 500, '20061030', 1)
INSERT INTO dbo.Customers (CustomerID, CustomerCode, CompanyName, FirstName, LastName, Email, Phone, RegionID, CreditLimit, CustomerSince, IsActive) VALUES (39, 'FH000039', N'Greystone Builders Merchants', N'Paul', N'Ridley', 'trade@greystone.example', '01632 960975', 1, 9000, '20061106', 1)
INSERT INTO dbo.Customers (CustomerID, CustomerCode, CompanyName, FirstName, LastName, Email, Phone, RegionID, CreditLimit, CustomerSince, IsActive) VALUES (40, 'FH000040', NULL, N'Chloé', N'Bernard', 'chloe.bernard@mail.example', '01632 960183', 3, 500, '20061120', 1)
SET IDENTITY_INSERT dbo.Customers OFF
GO
SET IDENTITY_INSERT dbo.Addresses ON
INSERT INTO dbo.Addresses (AddressID, CustomerID, AddressType, Line1, Line2, City, PostalCode) VALUES (1, 1, 'S', N'110 Elm Grove', NULL, N'Durham', 'DH24 2DQ')
INSERT INTO dbo.Addresses (AddressID, CustomerID, AddressType, Line1, Line2, City, PostalCode) VALUES (2, 1, 'B', N'PO Box 614', NULL, N'York', 'YO12 6LP')
INSERT INTO dbo.Addresses (AddressID, CustomerID, AddressType, Line1, Line2, City, PostalCode) VALUES (3, 2, 'S', N'122 Elm Grove', N'Goods In', N'Leicester', 'LE19 7JZ')
INSERT INTO dbo.Addresses (AddressID, CustomerID, AddressType, Line1, Line2, City, PostalCode) VALUES (4, 2, 'B', N'PO Box 21', NULL, N'Derby', 'DE13 6XZ')
INSERT INTO dbo.Addresses (AddressID, CustomerID, AddressType, Line1, Line2, City, PostalCode) VALUES (5, 3, 'S', N'38 Bridge Street', NULL, N'Guildford', 'GU4 5EF')
INSERT INTO dbo.Addresses (AddressID, CustomerID, AddressType, Line1, Line2, City, PostalCode) VALUES (6, 4, 'S', N'23 Station Road', N'Rear Entrance', N'Taunton', 'TA25 7NG')
INSERT INTO dbo.Addresses (AddressID, CustomerID, AddressType, Line1, Line2, City, PostalCode) VALUES (7, 5, 'S', N'46 Orchard Way', NULL, N'Dundee', 'DD9 3QD')
INSERT INTO dbo.Addresses (AddressID, CustomerID, AddressType, Line1, Line2, City, PostalCode) VALUES (8, 6, 'S', N'134 Quarry Lane', N'Rear Entrance', N'Truro', 'TR19 4NA')
INSERT INTO dbo.Addresses (AddressID, CustomerID, AddressType, Line1, Line2, City, PostalCode) VALUES (9, 7, 'S', N'94 Castle Street', NULL, N'Reading', 'RG3 1WY')
INSERT INTO dbo.Addresses (AddressID, CustomerID, AddressType, Line1, Line2, City, PostalCode) VALUES (10, 8, 'S', N'150 High Street', NULL, N'Harrogate', 'HG8 7FT')
INSERT INTO dbo.Addresses (AddressID, CustomerID, AddressType, Line1, Line2, City, PostalCode) VALUES (11, 8, 'B', N'PO Box 565', NULL, N'Leeds', 'LS15 1FR')
INSERT INTO dbo.Addresses (AddressID, CustomerID, AddressType, Line1, Line2, City, PostalCode) VALUES (12, 9, 'S', N'133 Castle Street', NULL, N'Derby', 'DE25 5HB')
INSERT INTO dbo.Addresses (AddressID, CustomerID, AddressType, Line1, Line2, City, PostalCode) VALUES (13, 10, 'S', N'177 The Green', NULL, N'Aberystwyth', 'SY21 1DT')
INSERT INTO dbo.Addresses (AddressID, CustomerID, AddressType, Line1, Line2, City, PostalCode) VALUES (14, 11, 'S', N'73 The Green', NULL, N'Reading', 'RG5 7GA')
INSERT INTO dbo.Addresses (AddressID, CustomerID, AddressType, Line1, Line2, City, PostalCode) VALUES (15, 12, 'S', N'62 Orchard Way', NULL, N'Dundee', 'DD2 2WX')
INSERT INTO dbo.Addresses (AddressID, CustomerID, AddressType, Line1, Line2, City, PostalCode) VALUES (16, 12, 'B', N'PO Box 638', NULL, N'Inverness', 'IV13 5AS')
INSERT INTO dbo.Addresses (AddressID, CustomerID, AddressType, Line1, Line2, City, PostalCode) VALUES (17, 13, 'S', N'105 Riverside Walk', NULL, N'Harrogate', 'HG21 8TP')
INSERT INTO dbo.Addresses (AddressID, CustomerID, AddressType, Line1, Line2, City, PostalCode) VALUES (18, 14, 'S', N'56 Orchard Way', NULL, N'Derby', 'DE19 2YP')
INSERT INTO dbo.Addresses (AddressID, CustomerID, AddressType, Line1, Line2, City, PostalCode) VALUES (19, 15, 'S', N'171 Meadow Close', N'Unit 6', N'Guildford', 'GU25 4HZ')
INSERT INTO dbo.Addresses (AddressID, CustomerID, AddressType, Line1, Line2, City, PostalCode) VALUES (20, 15, 'B', N'PO Box 479', NULL, N'Brighton', 'BN2 9RU')
INSERT INTO dbo.Addresses (AddressID, CustomerID, AddressType, Line1, Line2, City, PostalCode) VALUES (21, 16, 'S', N'161 Mill Lane', NULL, N'Truro', 'TR8 6LE')
INSERT INTO dbo.Addresses (AddressID, CustomerID, AddressType, Line1, Line2, City, PostalCode) VALUES (22, 17, 'S', N'143 Meadow Close', N'Rear Entrance', N'Derby', 'DE9 6EB')
INSERT INTO dbo.Addresses (AddressID, CustomerID, AddressType, Line1, Line2, City, PostalCode) VALUES (23, 17, 'B', N'PO Box 949', NULL, N'Leicester', 'LE9 7ES')
INSERT INTO dbo.Addresses (AddressID, CustomerID, AddressType, Line1, Line2, City, PostalCode) VALUES (24, 18, 'S', N'114 Victoria Road', NULL, N'Brecon', 'LD25 8JG')
INSERT INTO dbo.Addresses (AddressID, CustomerID, AddressType, Line1, Line2, City, PostalCode) VALUES (25, 19, 'S', N'136 Castle Street', N'Unit 14', N'Bath', 'BA5 8LL')
INSERT INTO dbo.Addresses (AddressID, CustomerID, AddressType, Line1, Line2, City, PostalCode) VALUES (26, 20, 'S', N'125 Riverside Walk', NULL, N'Dundee', 'DD20 5LY')
INSERT INTO dbo.Addresses (AddressID, CustomerID, AddressType, Line1, Line2, City, PostalCode) VALUES (27, 21, 'S', N'136 The Green', NULL, N'Reading', 'RG1 1AJ')
INSERT INTO dbo.Addresses (AddressID, CustomerID, AddressType, Line1, Line2, City, PostalCode) VALUES (28, 21, 'B', N'PO Box 156', NULL, N'Guildford', 'GU16 1NB')
INSERT INTO dbo.Addresses (AddressID, CustomerID, AddressType, Line1, Line2, City, PostalCode) VALUES (29, 22, 'S', N'140 Victoria Road', NULL, N'Nottingham', 'NG14 4SB')
INSERT INTO dbo.Addresses (AddressID, CustomerID, AddressType, Line1, Line2, City, PostalCode) VALUES (30, 23, 'S', N'44 Church Lane', NULL, N'York', 'YO12 7ZH')
INSERT INTO dbo.Addresses (AddressID, CustomerID, AddressType, Line1, Line2, City, PostalCode) VALUES (31, 23, 'B', N'PO Box 69', NULL, N'Durham', 'DH21 9XT')
INSERT INTO dbo.Addresses (AddressID, CustomerID, AddressType, Line1, Line2, City, PostalCode) VALUES (32, 24, 'S', N'118 Market Place', NULL, N'Guildford', 'GU23 5FA')
INSERT INTO dbo.Addresses (AddressID, CustomerID, AddressType, Line1, Line2, City, PostalCode) VALUES (33, 25, 'S', N'127 High Street', N'Unit 9', N'Harrogate', 'HG27 3ZW')
INSERT INTO dbo.Addresses (AddressID, CustomerID, AddressType, Line1, Line2, City, PostalCode) VALUES (34, 25, 'B', N'PO Box 805', NULL, N'Harrogate', 'HG27 2DS')
INSERT INTO dbo.Addresses (AddressID, CustomerID, AddressType, Line1, Line2, City, PostalCode) VALUES (35, 26, 'S', N'38 Meadow Close', NULL, N'Brecon', 'LD15 2NH')
INSERT INTO dbo.Addresses (AddressID, CustomerID, AddressType, Line1, Line2, City, PostalCode) VALUES (36, 27, 'S', N'146 Church Lane', N'Unit 21', N'Reading', 'RG19 5WJ')
INSERT INTO dbo.Addresses (AddressID, CustomerID, AddressType, Line1, Line2, City, PostalCode) VALUES (37, 28, 'S', N'19 Castle Street', NULL, N'Perth', 'PH9 6RG')
INSERT INTO dbo.Addresses (AddressID, CustomerID, AddressType, Line1, Line2, City, PostalCode) VALUES (38, 29, 'S', N'169 The Green', NULL, N'Truro', 'TR18 5NW')
INSERT INTO dbo.Addresses (AddressID, CustomerID, AddressType, Line1, Line2, City, PostalCode) VALUES (39, 29, 'B', N'PO Box 817', NULL, N'Bath', 'BA25 6JE')
INSERT INTO dbo.Addresses (AddressID, CustomerID, AddressType, Line1, Line2, City, PostalCode) VALUES (40, 30, 'S', N'6 Park Road', NULL, N'Nottingham', 'NG5 3BP')
INSERT INTO dbo.Addresses (AddressID, CustomerID, AddressType, Line1, Line2, City, PostalCode) VALUES (41, 31, 'S', N'7 Church Lane', NULL, N'Leicester', 'LE20 3HY')
INSERT INTO dbo.Addresses (AddressID, CustomerID, AddressType, Line1, Line2, City, PostalCode) VALUES (42, 32, 'S', N'101 Market Place', NULL, N'Leeds', 'LS9 1AX')
INSERT INTO dbo.Addresses (AddressID, CustomerID, AddressType, Line1, Line2, City, PostalCode) VALUES (43, 33, 'S', N'119 Castle Street', NULL, N'Leeds', 'LS9 7GU')
INSERT INTO dbo.Addresses (AddressID, CustomerID, AddressType, Line1, Line2, City, PostalCode) VALUES (44, 33, 'B', N'PO Box 870', NULL, N'Durham', 'DH10 8GE')
INSERT INTO dbo.Addresses (AddressID, CustomerID, AddressType, Line1, Line2, City, PostalCode) VALUES (45, 34, 'S', N'98 Elm Grove', NULL, N'Inverness', 'IV21 3GP')
INSERT INTO dbo.Addresses (AddressID, CustomerID, AddressType, Line1, Line2, City, PostalCode) VALUES (46, 35, 'S', N'160 Market Place', NULL, N'Guildford', 'GU8 1BA')
INSERT INTO dbo.Addresses (AddressID, CustomerID, AddressType, Line1, Line2, City, PostalCode) VALUES (47, 36, 'S', N'43 Park Road', N'Rear Entrance', N'Nottingham', 'NG20 4ZP')
INSERT INTO dbo.Addresses (AddressID, CustomerID, AddressType, Line1, Line2, City, PostalCode) VALUES (48, 37, 'S', N'174 Castle Street', NULL, N'Perth', 'PH16 7JS')
INSERT INTO dbo.Addresses (AddressID, CustomerID, AddressType, Line1, Line2, City, PostalCode) VALUES (49, 39, 'S', N'23 Mill Lane', NULL, N'Leeds', 'LS4 9JS')
INSERT INTO dbo.Addresses (AddressID, CustomerID, AddressType, Line1, Line2, City, PostalCode) VALUES (50, 40, 'S', N'143 Park Road', NULL, N'Guildford', 'GU16 5TB')
SET IDENTITY_INSERT dbo.Addresses OFF
GO
SET IDENTITY_INSERT dbo.Warehouses ON
INSERT INTO dbo.Warehouses (WarehouseID, Code, Name, City, RegionID, Capacity) VALUES (1, 'LEE', N'Leeds Distribution Centre', N'Leeds', 1, 12000)
INSERT INTO dbo.Warehouses (WarehouseID, Code, Name, City, RegionID, Capacity) VALUES (2, 'BRS', N'Bristol Depot', N'Bristol', 4, 6500)
INSERT INTO dbo.Warehouses (WarehouseID, Code, Name, City, RegionID, Capacity) VALUES (3, 'GLA', N'Glasgow Depot', N'Glasgow', 5, 4000)
INSERT INTO dbo.Warehouses (WarehouseID, Code, Name, City, RegionID, Capacity) VALUES (4, 'NWH', N'Norwich Seed Store', N'Norwich', 3, NULL)
SET IDENTITY_INSERT dbo.Warehouses OFF
GO
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (1, 1, 25, 'H-05-1', '20061103')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (1, 2, 52, 'B-09-2', '20061101')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (1, 3, 46, 'F-03-5', '20061111')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (1, 4, 60, 'E-01-3', '20061119')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (1, 5, 51, 'A-03-1', '20061115')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (1, 6, 40, 'H-09-2', '20061112')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (1, 7, 9, 'D-04-3', '20061106')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (1, 8, 1, 'F-01-3', '20061110')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (1, 9, 10, 'G-20-1', '20061110')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (1, 10, 7, 'C-12-3', '20061110')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (1, 11, 0, 'A-24-2', '20061120')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (1, 12, 2, 'B-17-3', '20061125')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (1, 13, 56, 'G-07-4', '20061107')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (1, 14, 57, 'F-19-1', '20061119')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (1, 15, 57, 'F-14-5', '20061107')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (1, 16, 49, 'E-22-1', '20061128')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (1, 17, 12, 'A-07-2', '20061101')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (1, 18, 42, 'F-18-4', '20061117')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (1, 19, 55, 'E-20-2', '20061102')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (1, 20, 19, 'G-08-4', '20061128')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (1, 21, 4, 'B-18-2', '20061112')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (1, 22, 19, 'B-18-1', '20061116')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (1, 23, 40, 'A-22-1', '20061120')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (1, 24, 8, 'H-20-5', '20061115')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (1, 25, 6, 'B-20-2', '20061122')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (1, 26, 9, 'B-03-4', '20061121')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (1, 27, 9, 'A-17-1', '20061126')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (1, 28, 60, 'B-04-2', '20061121')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (1, 29, 3, 'E-23-4', '20061120')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (1, 30, 8, 'H-13-5', '20061113')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (1, 31, 34, 'H-23-5', '20061120')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (1, 32, 5, 'F-20-3', '20061103')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (1, 33, 40, 'H-20-1', '20061105')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (1, 34, 12, 'E-01-5', '20061108')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (1, 35, 10, 'E-20-2', '20061124')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (1, 36, 4, 'H-17-1', '20061113')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (1, 37, 1, 'E-22-1', '20061110')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (1, 38, 34, 'C-15-4', '20061111')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (1, 39, 58, 'F-10-4', '20061120')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (1, 40, 37, 'E-16-3', '20061126')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (2, 1, 1, 'G-18-3', '20061126')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (2, 2, 53, 'E-09-2', '20061106')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (2, 3, 42, 'G-17-2', '20061106')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (2, 4, 45, 'E-17-2', '20061114')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (2, 5, 40, 'E-17-5', '20061121')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (2, 6, 27, 'F-21-5', '20061107')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (2, 7, 4, 'H-01-1', '20061112')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (2, 9, 9, 'D-15-3', '20061105')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (2, 12, 26, 'D-16-2', '20061108')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (2, 13, 2, 'A-09-3', '20061108')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (2, 14, 25, 'A-16-4', '20061103')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (2, 15, 41, 'E-11-4', '20061116')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (2, 16, 10, 'H-19-4', '20061124')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (2, 17, 9, 'E-04-4', '20061126')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (2, 20, 25, 'B-03-1', '20061120')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (2, 21, 4, 'C-06-2', '20061111')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (2, 27, 5, 'B-06-2', '20061119')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (2, 29, 3, 'H-23-2', '20061110')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (2, 30, 5, 'E-15-4', '20061119')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (2, 31, 52, 'F-13-4', '20061120')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (2, 35, 2, 'G-05-1', '20061118')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (2, 36, 2, 'C-09-5', '20061113')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (2, 37, 50, 'C-03-2', '20061104')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (2, 38, 54, 'C-17-5', '20061107')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (2, 39, 47, 'A-21-2', '20061109')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (3, 1, 48, 'A-08-5', '20061118')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (3, 4, 27, 'E-14-4', '20061106')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (3, 5, 30, 'F-05-2', '20061103')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (3, 6, 57, 'F-04-1', '20061123')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (3, 9, 4, 'G-20-2', '20061111')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (3, 10, 9, 'B-15-2', '20061114')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (3, 11, 10, 'C-20-1', '20061118')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (3, 12, 28, 'G-16-1', '20061108')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (3, 13, 33, 'D-08-4', '20061128')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (3, 14, 27, 'D-19-2', '20061111')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (3, 15, 4, 'E-21-2', '20061102')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (3, 17, 12, 'G-08-5', '20061102')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (3, 18, 28, 'A-03-1', '20061123')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (3, 19, 23, 'B-17-1', '20061110')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (3, 20, 51, 'F-17-4', '20061114')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (3, 22, 50, 'H-17-1', '20061117')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (3, 24, 6, 'C-09-5', '20061112')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (3, 25, 12, 'C-10-3', '20061107')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (3, 26, 2, 'F-21-3', '20061111')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (3, 31, 1, 'C-17-1', '20061115')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (3, 33, 59, 'D-03-3', '20061105')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (3, 34, 2, 'B-07-1', '20061111')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (3, 35, 5, 'A-24-5', '20061105')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (3, 36, 8, 'E-13-3', '20061106')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (3, 37, 54, 'A-08-2', '20061118')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (4, 19, 53, 'F-03-1', '20061118')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (4, 20, 54, 'H-03-2', '20061121')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (4, 21, 4, 'F-09-5', '20061101')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (4, 22, 15, 'G-10-3', '20061108')
INSERT INTO dbo.Inventory (WarehouseID, ProductID, QuantityOnHand, BinLocation, LastCounted) VALUES (4, 23, 58, 'F-18-4', '20061126')
GO
SET IDENTITY_INSERT sales.Orders ON
INSERT INTO sales.Orders (OrderID, CustomerID, EmployeeID, OrderDate, RequiredDate, ShippedDate, ShipperID, ShipAddressID, Status, Freight, Comment) VALUES (1000, 4, 7, '20060106 14:05', '20060113', '20060107 12:00', 4, 6, 'S', 0.00, NULL)
INSERT INTO sales.Orders (OrderID, CustomerID, EmployeeID, OrderDate, RequiredDate, ShippedDate, ShipperID, ShipAddressID, Status, Freight, Comment) VALUES (1001, 21, 8, '20060110 08:45', '20060117', '20060112 15:00', 1, 27, 'S', 5.95, NULL)
INSERT INTO sales.Orders (OrderID, CustomerID, EmployeeID, OrderDate, RequiredDate, ShippedDate, ShipperID, ShipAddressID, Status, Freight, Comment) VALUES (1002, 5, 8, '20060116 08:15', '20060123', '20060120 09:00', 2, 7, 'S', 8.95, NULL)
INSERT INTO sales.Orders (OrderID, CustomerID, EmployeeID, OrderDate, RequiredDate, ShippedDate, ShipperID, ShipAddressID, Status, Freight, Comment) VALUES (1003, 17, 13, '20060120 13:30', '20060127', '20060121 11:00', 1, 22, 'S', 5.95, N'Please deliver to the goods entrance.')
INSERT INTO sales.Orders (OrderID, CustomerID, EmployeeID, OrderDate, RequiredDate, ShippedDate, ShipperID, ShipAddressID, Status, Freight, Comment) VALUES (1004, 1, 15, '20060126 09:40', '20060202', '20060127 16:00', 4, 1, 'S', 0.00, NULL)
INSERT INTO sales.Orders (OrderID, CustomerID, EmployeeID, OrderDate, RequiredDate, ShippedDate, ShipperID, ShipAddressID, Status, Freight, Comment) VALUES (1005, 8, 15, '20060131 16:30', '20060207', '20060203 09:00', 1, 10, 'S', 6.95, NULL)
INSERT INTO sales.Orders (OrderID, CustomerID, EmployeeID, OrderDate, RequiredDate, ShippedDate, ShipperID, ShipAddressID, Status, Freight, Comment) VALUES (1006, 26, 8, '20060205 11:40', '20060212', '20060207 13:00', 2, 35, 'S', 7.50, NULL)
INSERT INTO sales.Orders (OrderID, CustomerID, EmployeeID, OrderDate, RequiredDate, ShippedDate, ShipperID, ShipAddressID, Status, Freight, Comment) VALUES (1007, 16, 6, '20060211 12:15', '20060218', '20060212 10:00', 1, 21, 'S', 6.95, NULL)
INSERT INTO sales.Orders (OrderID, CustomerID, EmployeeID, OrderDate, RequiredDate, ShippedDate, ShipperID, ShipAddressID, Status, Freight, Comment) VALUES (1008, 18, 5, '20060218 09:40', '20060225', '20060220 13:00', 1, 24, 'S', 7.50, N'Please deliver to the goods entrance.')
INSERT INTO sales.Orders (OrderID, CustomerID, EmployeeID, OrderDate, RequiredDate, ShippedDate, ShipperID, ShipAddressID, Status, Freight, Comment) VALUES (1009, 15, 15, '20060223 11:50', '20060302', '20060226 15:00', 4, 19, 'S', 0.00, NULL)
INSERT INTO sales.Orders (OrderID, CustomerID, EmployeeID, OrderDate, RequiredDate, ShippedDate, ShipperID, ShipAddressID, Status, Freight, Comment) VALUES (1010, 11, 7, '20060227 08:40', '20060306', '20060303 13:00', 1, 14, 'S', 5.95, NULL)
INSERT INTO sales.Orders (OrderID, CustomerID, EmployeeID, OrderDate, RequiredDate, ShippedDate, ShipperID, ShipAddressID, Status, Freight, Comment) VALUES (1011, 7, 6, '20060306 13:30', '20060313', NULL, NULL, 9, 'C', 5.95, N'Cancelled by the customer on the phone.')
INSERT INTO sales.Orders (OrderID, CustomerID, EmployeeID, OrderDate, RequiredDate, ShippedDate, ShipperID, ShipAddressID, Status, Freight, Comment) VALUES (1012, 5, 6, '20060310 12:30', '20060317', '20060312 15:00', 4, 7, 'S', 0.00, NULL)
INSERT INTO sales.Orders (OrderID, CustomerID, EmployeeID, OrderDate, RequiredDate, ShippedDate, ShipperID, ShipAddressID, Status, Freight, Comment) VALUES (1013, 28, 5, '20060316 13:05', '20060323', '20060320 10:00', 2, 37, 'S', 8.95, NULL)
INSERT INTO sales.Orders (OrderID, CustomerID, EmployeeID, OrderDate, RequiredDate, ShippedDate, ShipperID, ShipAddressID, Status, Freight, Comment) VALUES (1014, 9, 13, '20060321 11:50', '20060328', '20060322 11:00', 1, 12, 'S', 5.95, NULL)
INSERT INTO sales.Orders (OrderID, CustomerID, EmployeeID, OrderDate, RequiredDate, ShippedDate, ShipperID, ShipAddressID, Status, Freight, Comment) VALUES (1015, 4, 7, '20060327 13:50', '20060403', '20060328 16:00', 4, 6, 'S', 0.00, NULL)
INSERT INTO sales.Orders (OrderID, CustomerID, EmployeeID, OrderDate, RequiredDate, ShippedDate, ShipperID, ShipAddressID, Status, Freight, Comment) VALUES (1016, 3, 13, '20060402 08:30', '20060409', '20060404 16:00', 1, 5, 'S', 5.95, NULL)
INSERT INTO sales.Orders (OrderID, CustomerID, EmployeeID, OrderDate, RequiredDate, ShippedDate, ShipperID, ShipAddressID, Status, Freight, Comment) VALUES (1017, 31, 6, '20060406 15:00', '20060413', '20060410 11:00', 3, 41, 'S', 5.95, N'Part of the order is a gift - no invoice in the parcel.')
INSERT INTO sales.Orders (OrderID, CustomerID, EmployeeID, OrderDate, RequiredDate, ShippedDate, ShipperID, ShipAddressID, Status, Freight, Comment) VALUES (1018, 7, 8, '20060414 08:00', '20060421', '20060418 16:00', 2, 9, 'S', 5.95, NULL)
INSERT INTO sales.Orders (OrderID, CustomerID, EmployeeID, OrderDate, RequiredDate, ShippedDate, ShipperID, ShipAddressID, Status, Freight, Comment) VALUES (1019, 24, 7, '20060417 12:15', '20060424', '20060418 16:00', 4, 32, 'S', 0.00, NULL)
INSERT INTO sales.Orders (OrderID, CustomerID, EmployeeID, OrderDate, RequiredDate, ShippedDate, ShipperID, ShipAddressID, Status, Freight, Comment) VALUES (1020, 9, 13, '20060425 17:00', '20060502', '20060426 09:00', 4, 12, 'S', 0.00, NULL)
INSERT INTO sales.Orders (OrderID, CustomerID, EmployeeID, OrderDate, RequiredDate, ShippedDate, ShipperID, ShipAddressID, Status, Freight, Comment) VALUES (1021, 8, 15, '20060429 11:50', '20060506', '20060501 13:00', 1, 10, 'S', 6.95, NULL)
INSERT INTO sales.Orders (OrderID, CustomerID, EmployeeID, OrderDate, RequiredDate, ShippedDate, ShipperID, ShipAddressID, Status, Freight, Comment) VALUES (1022, 4, 7, '20060503 15:30', '20060510', '20060506 16:00', 4, 6, 'S', 0.00, NULL)
INSERT INTO sales.Orders (OrderID, CustomerID, EmployeeID, OrderDate, RequiredDate, ShippedDate, ShipperID, ShipAddressID, Status, Freight, Comment) VALUES (1023, 29, 6, '20060511 08:00', '20060518', '20060512 10:00', 1, 38, 'S', 6.95, NULL)
INSERT INTO sales.Orders (OrderID, CustomerID, EmployeeID, OrderDate, RequiredDate, ShippedDate, ShipperID, ShipAddressID, Status, Freight, Comment) VALUES (1024, 4, 8, '20060514 08:45', '20060521', '20060517 14:00', 3, 6, 'S', 6.95, NULL)
INSERT INTO sales.Orders (OrderID, CustomerID, EmployeeID, OrderDate, RequiredDate, ShippedDate, ShipperID, ShipAddressID, Status, Freight, Comment) VALUES (1025, 12, 13, '20060520 14:00', '20060527', '20060524 16:00', 3, 15, 'S', 8.95, NULL)
INSERT INTO sales.Orders (OrderID, CustomerID, EmployeeID, OrderDate, RequiredDate, ShippedDate, ShipperID, ShipAddressID, Status, Freight, Comment) VALUES (1026, 8, 8, '20060525 15:50', '20060601', '20060526 12:00', 1, 10, 'S', 6.95, NULL)
INSERT INTO sales.Orders (OrderID, CustomerID, EmployeeID, OrderDate, RequiredDate, ShippedDate, ShipperID, ShipAddressID, Status, Freight, Comment) VALUES (1027, 31, 8, '20060602 13:30', '20060609', '20060604 15:00', 1, 41, 'S', 5.95, NULL)
INSERT INTO sales.Orders (OrderID, CustomerID, EmployeeID, OrderDate, RequiredDate, ShippedDate, ShipperID, ShipAddressID, Status, Freight, Comment) VALUES (1028, 1, 7, '20060607 14:05', '20060614', '20060609 16:00', 3, 1, 'S', 6.95, NULL)
INSERT INTO sales.Orders (OrderID, CustomerID, EmployeeID, OrderDate, RequiredDate, ShippedDate, ShipperID, ShipAddressID, Status, Freight, Comment) VALUES (1029, 12, 8, '20060611 08:45', '20060618', '20060612 14:00', 4, 15, 'S', 0.00, NULL)
INSERT INTO sales.Orders (OrderID, CustomerID, EmployeeID, OrderDate, RequiredDate, ShippedDate, ShipperID, ShipAddressID, Status, Freight, Comment) VALUES (1030, 27, 8, '20060617 17:00', '20060624', '20060621 11:00', 3, 36, 'S', 5.95, NULL)
INSERT INTO sales.Orders (OrderID, CustomerID, EmployeeID, OrderDate, RequiredDate, ShippedDate, ShipperID, ShipAddressID, Status, Freight, Comment) VALUES (1031, 17, 8, '20060621 16:50', '20060628', '20060624 10:00', 2, 22, 'S', 5.95, NULL)
INSERT INTO sales.Orders (OrderID, CustomerID, EmployeeID, OrderDate, RequiredDate, ShippedDate, ShipperID, ShipAddressID, Status, Freight, Comment) VALUES (1032, 10, 7, '20060629 14:05', '20060706', '20060701 14:00', 2, 13, 'S', 7.50, NULL)
INSERT INTO sales.Orders (OrderID, CustomerID, EmployeeID, OrderDate, RequiredDate, ShippedDate, ShipperID, ShipAddressID, Status, Freight, Comment) VALUES (1033, 15, 6, '20060702 15:40', '20060709', '20060706 10:00', 4, 19, 'S', 0.00, NULL)
INSERT INTO sales.Orders (OrderID, CustomerID, EmployeeID, OrderDate, RequiredDate, ShippedDate, ShipperID, ShipAddressID, Status, Freight, Comment) VALUES (1034, 13, 13, '20060709 12:20', '20060716', NULL, NULL, 17, 'C', 6.95, N'Duplicate of order 1033.')
INSERT INTO sales.Orders (OrderID, CustomerID, EmployeeID, OrderDate, RequiredDate, ShippedDate, ShipperID, ShipAddressID, Status, Freight, Comment) VALUES (1035, 26, 13, '20060713 11:30', '20060720', '20060715 13:00', 2, 35, 'S', 7.50, NULL)
INSERT INTO sales.Orders (OrderID, CustomerID, EmployeeID, OrderDate, RequiredDate, ShippedDate, ShipperID, ShipAddressID, Status, Freight, Comment) VALUES (1036, 14, 13, '20060719 10:40', '20060726', '20060722 12:00', 2, 18, 'S', 5.95, NULL)
INSERT INTO sales.Orders (OrderID, CustomerID, EmployeeID, OrderDate, RequiredDate, ShippedDate, ShipperID, ShipAddressID, Status, Freight, Comment) VALUES (1037, 23, 13, '20060725 13:50', '20060801', '20060729 13:00', 1, 30, 'S', 6.95, NULL)
INSERT INTO sales.Orders (OrderID, CustomerID, EmployeeID, OrderDate, RequiredDate, ShippedDate, ShipperID, ShipAddressID, Status, Freight, Comment) VALUES (1038, 11, 8, '20060801 09:30', '20060808', '20060805 09:00', 2, 14, 'S', 5.95, NULL)
INSERT INTO sales.Orders (OrderID, CustomerID, EmployeeID, OrderDate, RequiredDate, ShippedDate, ShipperID, ShipAddressID, Status, Freight, Comment) VALUES (1039, 8, 8, '20060804 17:50', '20060811', '20060807 11:00', 1, 10, 'S', 6.95, NULL)
INSERT INTO sales.Orders (OrderID, CustomerID, EmployeeID, OrderDate, RequiredDate, ShippedDate, ShipperID, ShipAddressID, Status, Freight, Comment) VALUES (1040, 1, 5, '20060811 15:50', '20060818', '20060814 10:00', 2, 1, 'S', 6.95, NULL)
INSERT INTO sales.Orders (OrderID, CustomerID, EmployeeID, OrderDate, RequiredDate, ShippedDate, ShipperID, ShipAddressID, Status, Freight, Comment) VALUES (1041, 3, 6, '20060817 10:15', '20060824', '20060820 13:00', 2, 5, 'S', 5.95, N'Part of the order is a gift - no invoice in the parcel.')
INSERT INTO sales.Orders (OrderID, CustomerID, EmployeeID, OrderDate, RequiredDate, ShippedDate, ShipperID, ShipAddressID, Status, Freight, Comment) VALUES (1042, 30, 7, '20060820 10:30', '20060827', '20060821 16:00', 2, 40, 'S', 5.95, NULL)
INSERT INTO sales.Orders (OrderID, CustomerID, EmployeeID, OrderDate, RequiredDate, ShippedDate, ShipperID, ShipAddressID, Status, Freight, Comment) VALUES (1043, 15, 13, '20060828 14:30', '20060904', '20060901 10:00', 3, 19, 'S', 5.95, NULL)
INSERT INTO sales.Orders (OrderID, CustomerID, EmployeeID, OrderDate, RequiredDate, ShippedDate, ShipperID, ShipAddressID, Status, Freight, Comment) VALUES (1044, 10, 7, '20060902 09:00', '20060909', '20060903 15:00', 2, 13, 'S', 7.50, NULL)
INSERT INTO sales.Orders (OrderID, CustomerID, EmployeeID, OrderDate, RequiredDate, ShippedDate, ShipperID, ShipAddressID, Status, Freight, Comment) VALUES (1045, 33, 7, '20060908 09:10', '20060915', '20060909 09:00', 4, 43, 'S', 0.00, NULL)
INSERT INTO sales.Orders (OrderID, CustomerID, EmployeeID, OrderDate, RequiredDate, ShippedDate, ShipperID, ShipAddressID, Status, Freight, Comment) VALUES (1046, 15, 8, '20060912 10:15', '20060919', '20060916 11:00', 2, 19, 'S', 5.95, N'Please deliver to the goods entrance.')
INSERT INTO sales.Orders (OrderID, CustomerID, EmployeeID, OrderDate, RequiredDate, ShippedDate, ShipperID, ShipAddressID, Status, Freight, Comment) VALUES (1047, 24, 7, '20060917 09:15', '20060924', '20060919 11:00', 3, 32, 'S', 5.95, NULL)
INSERT INTO sales.Orders (OrderID, CustomerID, EmployeeID, OrderDate, RequiredDate, ShippedDate, ShipperID, ShipAddressID, Status, Freight, Comment) VALUES (1048, 34, 8, '20060924 10:30', '20061001', '20060928 11:00', 4, 45, 'S', 0.00, N'Part of the order is a gift - no invoice in the parcel.')
INSERT INTO sales.Orders (OrderID, CustomerID, EmployeeID, OrderDate, RequiredDate, ShippedDate, ShipperID, ShipAddressID, Status, Freight, Comment) VALUES (1049, 27, 7, '20060930 14:10', '20061007', '20061002 14:00', 3, 36, 'S', 5.95, NULL)
INSERT INTO sales.Orders (OrderID, CustomerID, EmployeeID, OrderDate, RequiredDate, ShippedDate, ShipperID, ShipAddressID, Status, Freight, Comment) VALUES (1050, 3, 6, '20061005 16:20', '20061012', '20061008 09:00', 1, 5, 'S', 5.95, NULL)
INSERT INTO sales.Orders (OrderID, CustomerID, EmployeeID, OrderDate, RequiredDate, ShippedDate, ShipperID, ShipAddressID, Status, Freight, Comment) VALUES (1051, 25, 5, '20061009 10:30', '20061016', '20061011 12:00', 2, 33, 'S', 6.95, NULL)
INSERT INTO sales.Orders (OrderID, CustomerID, EmployeeID, OrderDate, RequiredDate, ShippedDate, ShipperID, ShipAddressID, Status, Freight, Comment) VALUES (1052, 35, 5, '20061014 10:30', '20061021', NULL, NULL, 46, 'P', 5.95, NULL)
INSERT INTO sales.Orders (OrderID, CustomerID, EmployeeID, OrderDate, RequiredDate, ShippedDate, ShipperID, ShipAddressID, Status, Freight, Comment) VALUES (1053, 11, 6, '20061019 13:00', '20061026', '20061020 09:00', 1, 14, 'S', 5.95, NULL)
INSERT INTO sales.Orders (OrderID, CustomerID, EmployeeID, OrderDate, RequiredDate, ShippedDate, ShipperID, ShipAddressID, Status, Freight, Comment) VALUES (1054, 27, 13, '20061025 09:00', '20061101', '20061026 10:00', 1, 36, 'S', 5.95, N'Please deliver to the goods entrance.')
INSERT INTO sales.Orders (OrderID, CustomerID, EmployeeID, OrderDate, RequiredDate, ShippedDate, ShipperID, ShipAddressID, Status, Freight, Comment) VALUES (1055, 14, 6, '20061101 12:00', '20061108', NULL, NULL, 18, 'P', 5.95, N'Please deliver to the goods entrance.')
INSERT INTO sales.Orders (OrderID, CustomerID, EmployeeID, OrderDate, RequiredDate, ShippedDate, ShipperID, ShipAddressID, Status, Freight, Comment) VALUES (1056, 28, 8, '20061105 11:05', '20061112', NULL, NULL, 37, 'N', 8.95, N'Please deliver to the goods entrance.')
INSERT INTO sales.Orders (OrderID, CustomerID, EmployeeID, OrderDate, RequiredDate, ShippedDate, ShipperID, ShipAddressID, Status, Freight, Comment) VALUES (1057, 25, 6, '20061111 11:30', '20061118', NULL, NULL, 33, 'N', 6.95, NULL)
INSERT INTO sales.Orders (OrderID, CustomerID, EmployeeID, OrderDate, RequiredDate, ShippedDate, ShipperID, ShipAddressID, Status, Freight, Comment) VALUES (1058, 28, 7, '20061116 11:00', '20061123', NULL, NULL, 37, 'N', 8.95, NULL)
INSERT INTO sales.Orders (OrderID, CustomerID, EmployeeID, OrderDate, RequiredDate, ShippedDate, ShipperID, ShipAddressID, Status, Freight, Comment) VALUES (1059, 29, 5, '20061123 10:00', '20061130', NULL, NULL, 38, 'N', 6.95, NULL)
SET IDENTITY_INSERT sales.Orders OFF
GO
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1000, 1, 13, 8, 44.95, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1000, 2, 36, 8, 79.95, 0.10)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1000, 3, 29, 12, 139.00, 0.05)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1001, 1, 39, 7, 29.99, 0.10)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1001, 2, 13, 22, 44.95, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1001, 3, 7, 23, 119.00, 0.10)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1001, 4, 31, 21, 19.95, 0.10)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1002, 1, 16, 1, 27.50, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1002, 2, 38, 3, 39.00, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1003, 1, 7, 18, 119.00, 0.05)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1004, 1, 34, 23, 89.00, 0.05)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1004, 2, 39, 23, 29.99, 0.05)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1004, 3, 40, 20, 44.50, 0.05)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1004, 4, 24, 23, 249.00, 0.05)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1005, 1, 22, 14, 2.95, 0.10)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1005, 2, 38, 23, 39.00, 0.10)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1006, 1, 6, 2, 29.95, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1006, 2, 8, 3, 149.00, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1006, 3, 27, 1, 159.00, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1007, 1, 11, 1, 229.00, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1007, 2, 5, 1, 39.00, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1007, 3, 16, 2, 27.50, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1008, 1, 19, 3, 11.95, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1008, 2, 31, 1, 19.95, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1008, 3, 30, 2, 349.00, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1009, 1, 6, 15, 29.95, 0.05)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1009, 2, 25, 24, 129.00, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1009, 3, 20, 19, 18.50, 0.05)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1009, 4, 8, 14, 149.00, 0.05)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1010, 1, 20, 3, 18.50, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1010, 2, 5, 3, 39.00, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1011, 1, 26, 2, 389.00, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1012, 1, 32, 2, 11.49, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1012, 2, 12, 3, 22.95, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1012, 3, 35, 1, 299.00, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1012, 4, 18, 1, 34.95, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1013, 1, 11, 3, 229.00, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1014, 1, 31, 3, 19.95, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1014, 2, 5, 3, 39.00, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1014, 3, 8, 2, 149.00, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1015, 1, 22, 4, 2.95, 0.10)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1015, 2, 5, 20, 39.00, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1015, 3, 20, 5, 18.50, 0.10)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1016, 1, 16, 2, 27.50, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1016, 2, 1, 3, 34.95, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1017, 1, 14, 3, 9.99, 0.05)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1017, 2, 23, 7, 3.25, 0.05)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1017, 3, 28, 2, 12.50, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1018, 1, 4, 1, 14.99, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1018, 2, 28, 1, 12.50, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1018, 3, 33, 2, 34.95, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1019, 1, 9, 1, 189.00, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1020, 1, 25, 3, 129.00, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1021, 1, 32, 3, 11.49, 0.10)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1021, 2, 10, 22, 59.95, 0.10)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1022, 1, 23, 6, 3.25, 0.10)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1023, 1, 8, 20, 149.00, 0.05)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1023, 2, 11, 21, 229.00, 0.05)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1023, 3, 39, 16, 29.99, 0.05)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1024, 1, 33, 19, 34.95, 0.05)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1024, 2, 21, 15, 12.99, 0.05)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1025, 1, 12, 14, 22.95, 0.05)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1025, 2, 21, 2, 12.99, 0.05)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1025, 3, 26, 19, 389.00, 0.05)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1026, 1, 36, 9, 79.95, 0.05)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1026, 2, 29, 12, 139.00, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1026, 3, 39, 18, 29.99, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1026, 4, 10, 3, 59.95, 0.10)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1027, 1, 33, 21, 34.95, 0.10)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1028, 1, 8, 18, 149.00, 0.05)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1028, 2, 7, 18, 119.00, 0.05)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1028, 3, 5, 19, 39.00, 0.05)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1029, 1, 11, 7, 229.00, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1029, 2, 21, 11, 12.99, 0.05)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1029, 3, 15, 8, 6.49, 0.10)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1029, 4, 28, 11, 12.50, 0.05)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1030, 1, 38, 15, 39.00, 0.10)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1030, 2, 16, 22, 27.50, 0.10)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1031, 1, 21, 23, 12.99, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1031, 2, 38, 21, 39.00, 0.05)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1032, 1, 13, 21, 44.95, 0.05)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1032, 2, 29, 23, 139.00, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1032, 3, 23, 4, 3.25, 0.10)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1033, 1, 22, 24, 2.95, 0.05)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1033, 2, 19, 23, 11.95, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1034, 1, 23, 3, 3.25, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1034, 2, 35, 1, 299.00, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1035, 1, 35, 3, 299.00, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1036, 1, 21, 22, 12.99, 0.10)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1036, 2, 32, 20, 11.49, 0.05)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1037, 1, 10, 13, 59.95, 0.10)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1038, 1, 30, 1, 349.00, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1038, 2, 36, 3, 79.95, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1038, 3, 5, 3, 39.00, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1038, 4, 4, 3, 14.99, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1039, 1, 19, 6, 11.95, 0.05)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1039, 2, 17, 12, 64.00, 0.10)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1039, 3, 12, 12, 22.95, 0.10)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1039, 4, 7, 8, 119.00, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1040, 1, 31, 17, 19.95, 0.05)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1040, 2, 25, 22, 129.00, 0.05)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1040, 3, 2, 21, 32.50, 0.10)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1041, 1, 20, 1, 18.50, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1041, 2, 25, 3, 129.00, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1042, 1, 10, 3, 59.95, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1042, 2, 33, 3, 34.95, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1042, 3, 31, 2, 19.95, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1042, 4, 29, 3, 139.00, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1043, 1, 11, 2, 229.00, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1043, 2, 29, 7, 139.00, 0.05)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1043, 3, 8, 8, 149.00, 0.05)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1043, 4, 27, 22, 159.00, 0.05)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1044, 1, 26, 5, 389.00, 0.10)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1044, 2, 17, 9, 64.00, 0.10)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1045, 1, 37, 13, 49.95, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1045, 2, 30, 16, 349.00, 0.05)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1045, 3, 34, 6, 89.00, 0.10)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1045, 4, 13, 2, 44.95, 0.05)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1046, 1, 40, 5, 44.50, 0.10)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1046, 2, 39, 5, 29.99, 0.05)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1046, 3, 7, 6, 119.00, 0.10)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1047, 1, 29, 3, 139.00, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1048, 1, 26, 1, 389.00, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1048, 2, 31, 1, 19.95, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1049, 1, 14, 20, 9.99, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1050, 1, 19, 2, 11.95, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1050, 2, 17, 3, 64.00, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1051, 1, 34, 3, 89.00, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1051, 2, 21, 3, 12.99, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1051, 3, 12, 9, 22.95, 0.10)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1051, 4, 4, 16, 14.99, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1052, 1, 29, 3, 139.00, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1052, 2, 25, 1, 129.00, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1053, 1, 39, 1, 29.99, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1053, 2, 18, 1, 34.95, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1054, 1, 2, 2, 32.50, 0.05)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1054, 2, 3, 24, 24.95, 0.10)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1054, 3, 13, 3, 44.95, 0.10)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1054, 4, 39, 15, 29.99, 0.05)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1055, 1, 1, 18, 34.95, 0.05)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1055, 2, 5, 22, 39.00, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1055, 3, 11, 4, 229.00, 0.05)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1055, 4, 34, 11, 89.00, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1056, 1, 18, 1, 34.95, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1056, 2, 34, 3, 89.00, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1056, 3, 4, 1, 14.99, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1057, 1, 22, 3, 2.95, 0.05)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1057, 2, 37, 4, 49.95, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1057, 3, 36, 4, 79.95, 0.05)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1058, 1, 12, 3, 22.95, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1058, 2, 23, 3, 3.25, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1058, 3, 22, 1, 2.95, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1058, 4, 13, 1, 44.95, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1059, 1, 26, 11, 389.00, 0.00)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1059, 2, 32, 8, 11.49, 0.10)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1059, 3, 38, 18, 39.00, 0.05)
INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount) VALUES (1059, 4, 5, 8, 39.00, 0.10)
GO
SET IDENTITY_INSERT dbo.Payments ON
INSERT INTO dbo.Payments (PaymentID, OrderID, PaidOn, Amount, Method, Reference) VALUES (1, 1000, '20060204', 2519.84, 'BT', 'INV-1000')
INSERT INTO dbo.Payments (PaymentID, OrderID, PaidOn, Amount, Method, Reference) VALUES (2, 1001, '20060125', 4024.15, 'CC', NULL)
INSERT INTO dbo.Payments (PaymentID, OrderID, PaidOn, Amount, Method, Reference) VALUES (3, 1002, '20060130', 153.45, 'CC', NULL)
INSERT INTO dbo.Payments (PaymentID, OrderID, PaidOn, Amount, Method, Reference) VALUES (4, 1003, '20060219', 2040.85, 'CC', NULL)
INSERT INTO dbo.Payments (PaymentID, OrderID, PaidOn, Amount, Method, Reference) VALUES (5, 1004, '20060208', 8886.08, 'BT', 'INV-1004')
INSERT INTO dbo.Payments (PaymentID, OrderID, PaidOn, Amount, Method, Reference) VALUES (6, 1005, '20060223', 851.42, 'CH', 'CHQ 349362')
INSERT INTO dbo.Payments (PaymentID, OrderID, PaidOn, Amount, Method, Reference) VALUES (7, 1006, '20060214', 673.40, 'CH', 'CHQ 761285')
INSERT INTO dbo.Payments (PaymentID, OrderID, PaidOn, Amount, Method, Reference) VALUES (8, 1007, '20060308', 329.95, 'CH', 'CHQ 102544')
INSERT INTO dbo.Payments (PaymentID, OrderID, PaidOn, Amount, Method, Reference) VALUES (9, 1008, '20060322', 761.30, 'BT', 'INV-1008')
INSERT INTO dbo.Payments (PaymentID, OrderID, PaidOn, Amount, Method, Reference) VALUES (10, 1009, '20060301', 5838.42, 'BT', 'INV-1009')
INSERT INTO dbo.Payments (PaymentID, OrderID, PaidOn, Amount, Method, Reference) VALUES (11, 1010, '20060311', 178.45, 'CC', NULL)
INSERT INTO dbo.Payments (PaymentID, OrderID, PaidOn, Amount, Method, Reference) VALUES (12, 1012, '20060331', 425.78, 'BT', 'INV-1012')
INSERT INTO dbo.Payments (PaymentID, OrderID, PaidOn, Amount, Method, Reference) VALUES (13, 1013, '20060328', 695.95, 'BT', 'INV-1013')
INSERT INTO dbo.Payments (PaymentID, OrderID, PaidOn, Amount, Method, Reference) VALUES (14, 1014, '20060404', 480.80, 'CC', NULL)
INSERT INTO dbo.Payments (PaymentID, OrderID, PaidOn, Amount, Method, Reference) VALUES (15, 1015, '20060402', 873.87, 'CH', 'CHQ 916546')
INSERT INTO dbo.Payments (PaymentID, OrderID, PaidOn, Amount, Method, Reference) VALUES (16, 1016, '20060415', 165.80, 'CH', 'CHQ 592478')
INSERT INTO dbo.Payments (PaymentID, OrderID, PaidOn, Amount, Method, Reference) VALUES (17, 1017, '20060419', 81.03, 'CC', NULL)
INSERT INTO dbo.Payments (PaymentID, OrderID, PaidOn, Amount, Method, Reference) VALUES (18, 1018, '20060427', 103.34, 'CC', NULL)
INSERT INTO dbo.Payments (PaymentID, OrderID, PaidOn, Amount, Method, Reference) VALUES (19, 1019, '20060423', 189.00, 'CC', NULL)
INSERT INTO dbo.Payments (PaymentID, OrderID, PaidOn, Amount, Method, Reference) VALUES (20, 1020, '20060521', 387.00, 'CH', 'CHQ 558899')
INSERT INTO dbo.Payments (PaymentID, OrderID, PaidOn, Amount, Method, Reference) VALUES (21, 1021, '20060523', 1224.98, 'PP', NULL)
INSERT INTO dbo.Payments (PaymentID, OrderID, PaidOn, Amount, Method, Reference) VALUES (22, 1022, '20060526', 17.55, 'CC', NULL)
INSERT INTO dbo.Payments (PaymentID, OrderID, PaidOn, Amount, Method, Reference) VALUES (23, 1023, '20060518', 7862.35, 'PP', NULL)
INSERT INTO dbo.Payments (PaymentID, OrderID, PaidOn, Amount, Method, Reference) VALUES (24, 1024, '20060612', 822.91, 'CC', NULL)
INSERT INTO dbo.Payments (PaymentID, OrderID, PaidOn, Amount, Method, Reference) VALUES (25, 1025, '20060619', 7360.32, 'BT', 'INV-1025')
INSERT INTO dbo.Payments (PaymentID, OrderID, PaidOn, Amount, Method, Reference) VALUES (26, 1026, '20060625', 3060.21, 'CC', NULL)
INSERT INTO dbo.Payments (PaymentID, OrderID, PaidOn, Amount, Method, Reference) VALUES (27, 1027, '20060610', 666.51, 'CH', 'CHQ 583643')
INSERT INTO dbo.Payments (PaymentID, OrderID, PaidOn, Amount, Method, Reference) VALUES (28, 1028, '20060708', 5293.70, 'CC', NULL)
INSERT INTO dbo.Payments (PaymentID, OrderID, PaidOn, Amount, Method, Reference) VALUES (29, 1029, '20060710', 1916.11, 'CH', 'CHQ 211648')
INSERT INTO dbo.Payments (PaymentID, OrderID, PaidOn, Amount, Method, Reference) VALUES (30, 1030, '20060702', 1076.95, 'BT', 'INV-1030')
INSERT INTO dbo.Payments (PaymentID, OrderID, PaidOn, Amount, Method, Reference) VALUES (31, 1031, '20060717', 1082.77, 'CH', 'CHQ 227381')
INSERT INTO dbo.Payments (PaymentID, OrderID, PaidOn, Amount, Method, Reference) VALUES (32, 1032, '20060715', 4112.95, 'CH', 'CHQ 159133')
INSERT INTO dbo.Payments (PaymentID, OrderID, PaidOn, Amount, Method, Reference) VALUES (33, 1033, '20060804', 342.11, 'BT', 'INV-1033')
INSERT INTO dbo.Payments (PaymentID, OrderID, PaidOn, Amount, Method, Reference) VALUES (34, 1035, '20060811', 904.50, 'CH', 'CHQ 735009')
INSERT INTO dbo.Payments (PaymentID, OrderID, PaidOn, Amount, Method, Reference) VALUES (35, 1036, '20060810', 481.46, 'CC', NULL)
INSERT INTO dbo.Payments (PaymentID, OrderID, PaidOn, Amount, Method, Reference) VALUES (36, 1037, '20060808', 708.37, 'CH', 'CHQ 595230')
INSERT INTO dbo.Payments (PaymentID, OrderID, PaidOn, Amount, Method, Reference) VALUES (37, 1038, '20060820', 756.77, 'PP', NULL)
INSERT INTO dbo.Payments (PaymentID, OrderID, PaidOn, Amount, Method, Reference) VALUES (38, 1039, '20060814', 1966.13, 'BT', 'INV-1039')
INSERT INTO dbo.Payments (PaymentID, OrderID, PaidOn, Amount, Method, Reference) VALUES (39, 1040, '20060817', 3639.49, 'CC', NULL)
INSERT INTO dbo.Payments (PaymentID, OrderID, PaidOn, Amount, Method, Reference) VALUES (40, 1041, '20060824', 411.45, 'BT', 'INV-1041')
INSERT INTO dbo.Payments (PaymentID, OrderID, PaidOn, Amount, Method, Reference) VALUES (41, 1042, '20060913', 747.55, 'CC', NULL)
INSERT INTO dbo.Payments (PaymentID, OrderID, PaidOn, Amount, Method, Reference) VALUES (42, 1043, '20060927', 5843.80, 'BT', 'INV-1043')
INSERT INTO dbo.Payments (PaymentID, OrderID, PaidOn, Amount, Method, Reference) VALUES (43, 1044, '20060930', 2276.40, 'BT', 'INV-1044')
INSERT INTO dbo.Payments (PaymentID, OrderID, PaidOn, Amount, Method, Reference) VALUES (44, 1045, '20060915', 6520.16, 'BT', 'INV-1045')
INSERT INTO dbo.Payments (PaymentID, OrderID, PaidOn, Amount, Method, Reference) VALUES (45, 1046, '20061005', 991.25, 'CH', 'CHQ 821707')
INSERT INTO dbo.Payments (PaymentID, OrderID, PaidOn, Amount, Method, Reference) VALUES (46, 1047, '20061007', 422.95, 'CC', NULL)
INSERT INTO dbo.Payments (PaymentID, OrderID, PaidOn, Amount, Method, Reference) VALUES (47, 1048, '20061021', 408.95, 'BT', 'INV-1048')
INSERT INTO dbo.Payments (PaymentID, OrderID, PaidOn, Amount, Method, Reference) VALUES (48, 1049, '20061031', 205.75, 'PP', NULL)
INSERT INTO dbo.Payments (PaymentID, OrderID, PaidOn, Amount, Method, Reference) VALUES (49, 1050, '20061031', 221.85, 'CC', NULL)
INSERT INTO dbo.Payments (PaymentID, OrderID, PaidOn, Amount, Method, Reference) VALUES (50, 1051, '20061018', 738.66, 'BT', 'INV-1051')
INSERT INTO dbo.Payments (PaymentID, OrderID, PaidOn, Amount, Method, Reference) VALUES (51, 1053, '20061108', 70.89, 'CC', NULL)
INSERT INTO dbo.Payments (PaymentID, OrderID, PaidOn, Amount, Method, Reference) VALUES (52, 1054, '20061029', 1155.35, 'BT', 'INV-1054')
SET IDENTITY_INSERT dbo.Payments OFF
GO
INSERT INTO dbo.PriceHistory (ProductID, ChangedOn, OldPrice, NewPrice, ChangedBy) VALUES (1, '20060201 08:00', 32.95, 34.95, N'FERNHOLLOW\praman')
INSERT INTO dbo.PriceHistory (ProductID, ChangedOn, OldPrice, NewPrice, ChangedBy) VALUES (2, '20060201 08:00', 29.95, 32.50, N'FERNHOLLOW\praman')
INSERT INTO dbo.PriceHistory (ProductID, ChangedOn, OldPrice, NewPrice, ChangedBy) VALUES (7, '20060201 08:05', 109.00, 119.00, N'FERNHOLLOW\praman')
INSERT INTO dbo.PriceHistory (ProductID, ChangedOn, OldPrice, NewPrice, ChangedBy) VALUES (8, '20060201 08:05', 139.00, 149.00, N'FERNHOLLOW\praman')
INSERT INTO dbo.PriceHistory (ProductID, ChangedOn, OldPrice, NewPrice, ChangedBy) VALUES (12, '20060201 08:10', 21.95, 22.95, N'FERNHOLLOW\praman')
INSERT INTO dbo.PriceHistory (ProductID, ChangedOn, OldPrice, NewPrice, ChangedBy) VALUES (19, '20060315 14:30', 10.95, 11.95, N'FERNHOLLOW\dokafor')
INSERT INTO dbo.PriceHistory (ProductID, ChangedOn, OldPrice, NewPrice, ChangedBy) VALUES (24, '20060315 14:32', 229.00, 249.00, N'FERNHOLLOW\dokafor')
INSERT INTO dbo.PriceHistory (ProductID, ChangedOn, OldPrice, NewPrice, ChangedBy) VALUES (29, '20060502 10:12', 149.00, 139.00, N'FERNHOLLOW\dokafor')
INSERT INTO dbo.PriceHistory (ProductID, ChangedOn, OldPrice, NewPrice, ChangedBy) VALUES (34, '20060502 10:15', 95.00, 89.00, N'FERNHOLLOW\dokafor')
INSERT INTO dbo.PriceHistory (ProductID, ChangedOn, OldPrice, NewPrice, ChangedBy) VALUES (39, '20060901 09:00', 27.99, 29.99, N'FERNHOLLOW\praman')
GO
INSERT INTO dbo.AuditLog (TableName, KeyValue, Action, ChangedAt, ChangedBy) VALUES (N'dbo.Customers', '20', 'U', '20060811 16:42', N'FERNHOLLOW\hpryce')
INSERT INTO dbo.AuditLog (TableName, KeyValue, Action, ChangedAt, ChangedBy) VALUES (N'dbo.Customers', '15', 'U', '20060904 11:05', N'FERNHOLLOW\ehartley')
INSERT INTO dbo.AuditLog (TableName, KeyValue, Action, ChangedAt, ChangedBy) VALUES (N'sales.Orders', '1034', 'U', '20060619 09:31', N'FERNHOLLOW\creid')
INSERT INTO dbo.AuditLog (TableName, KeyValue, Action, ChangedAt, ChangedBy) VALUES (N'sales.Orders', '1011', 'U', '20060301 15:17', N'FERNHOLLOW\smarchetti')
INSERT INTO dbo.AuditLog (TableName, KeyValue, Action, ChangedAt, ChangedBy) VALUES (N'dbo.Customers', '3', 'U', '20061002 10:20', N'FERNHOLLOW\hpryce')
INSERT INTO dbo.AuditLog (TableName, KeyValue, Action, ChangedAt, ChangedBy) VALUES (N'sales.Orders', '1052', 'I', '20061113 10:40', N'FERNHOLLOW\bthackeray')
INSERT INTO dbo.AuditLog (TableName, KeyValue, Action, ChangedAt, ChangedBy) VALUES (N'sales.Orders', '1055', 'I', '20061121 14:05', N'FERNHOLLOW\creid')
INSERT INTO dbo.AuditLog (TableName, KeyValue, Action, ChangedAt, ChangedBy) VALUES (N'dbo.Customers', '40', 'I', '20061120 12:00', N'FERNHOLLOW\webshop')
GO
SET IDENTITY_INSERT dbo.NewsletterSubscribers ON
INSERT INTO dbo.NewsletterSubscribers (SubscriberID, Email, CustomerID, SubscribedOn, Confirmed) VALUES (1, 'helen@willowbank.example', 1, '20050301', 1)
INSERT INTO dbo.NewsletterSubscribers (SubscriberID, Email, CustomerID, SubscribedOn, Confirmed) VALUES (2, 'siobhan.oleary@mail.example', 3, '20050302', 1)
INSERT INTO dbo.NewsletterSubscribers (SubscriberID, Email, CustomerID, SubscribedOn, Confirmed) VALUES (3, 'amelia.t@mail.example', 7, '20050302', 1)
INSERT INTO dbo.NewsletterSubscribers (SubscriberID, Email, CustomerID, SubscribedOn, Confirmed) VALUES (4, 'gardening.gran@mail.example', NULL, '20050410', 1)
INSERT INTO dbo.NewsletterSubscribers (SubscriberID, Email, CustomerID, SubscribedOn, Confirmed) VALUES (5, 'farid.haddad@mail.example', 9, '20050517', 0)
INSERT INTO dbo.NewsletterSubscribers (SubscriberID, Email, CustomerID, SubscribedOn, Confirmed) VALUES (6, 'fiona@thistleandrose.example', 12, '20050622', 1)
INSERT INTO dbo.NewsletterSubscribers (SubscriberID, Email, CustomerID, SubscribedOn, Confirmed) VALUES (7, 'zoe.lambert@mail.example', 16, '20050809', 1)
INSERT INTO dbo.NewsletterSubscribers (SubscriberID, Email, CustomerID, SubscribedOn, Confirmed) VALUES (8, 'allotment42@mail.example', NULL, '20051104', 1)
INSERT INTO dbo.NewsletterSubscribers (SubscriberID, Email, CustomerID, SubscribedOn, Confirmed) VALUES (9, 'bethan.morgan@mail.example', 18, '20060112', 1)
INSERT INTO dbo.NewsletterSubscribers (SubscriberID, Email, CustomerID, SubscribedOn, Confirmed) VALUES (10, 'grace.adeyemi@mail.example', 24, '20060330', 0)
INSERT INTO dbo.NewsletterSubscribers (SubscriberID, Email, CustomerID, SubscribedOn, Confirmed) VALUES (11, 'owen.pritchard@mail.example', 26, '20060418', 1)
INSERT INTO dbo.NewsletterSubscribers (SubscriberID, Email, CustomerID, SubscribedOn, Confirmed) VALUES (12, 'mei.chen@mail.example', 30, '20060607', 1)
INSERT INTO dbo.NewsletterSubscribers (SubscriberID, Email, CustomerID, SubscribedOn, Confirmed) VALUES (13, 'green.fingers@mail.example', NULL, '20060715', 0)
INSERT INTO dbo.NewsletterSubscribers (SubscriberID, Email, CustomerID, SubscribedOn, Confirmed) VALUES (14, 'emily.fairbairn@mail.example', 34, '20060826', 1)
INSERT INTO dbo.NewsletterSubscribers (SubscriberID, Email, CustomerID, SubscribedOn, Confirmed) VALUES (15, 'olivia.stanton@mail.example', 38, '20061030', 0)
SET IDENTITY_INSERT dbo.NewsletterSubscribers OFF
GO
-- ---------------------------------------------------------------------------------
-- Functions, views, procedures and triggers
-- ---------------------------------------------------------------------------------
GO
-- Order value: the sum of the order lines after discount.
CREATE FUNCTION dbo.fn_OrderTotal (@OrderID int)
RETURNS money
AS
BEGIN
    DECLARE @Total money;

    SELECT @Total = SUM(ol.Quantity * ol.UnitPrice * (1 - ol.Discount))
    FROM sales.OrderLines AS ol
    WHERE ol.OrderID = @OrderID;

    RETURN ISNULL(@Total, 0);
END
GO
CREATE FUNCTION dbo.fn_CustomerFullName (@CustomerID int)
RETURNS nvarchar(120)
AS
BEGIN
    DECLARE @Name nvarchar(120);
    SELECT @Name = CASE WHEN CompanyName IS NULL THEN FirstName + N' ' + LastName
                        ELSE CompanyName + N' (' + FirstName + N' ' + LastName + N')' END
    FROM dbo.Customers
    WHERE CustomerID = @CustomerID;
    RETURN @Name;
END
GO
-- Products of a category and of its sub-categories.
CREATE FUNCTION dbo.fn_ProductsByCategory (@CategoryID int)
RETURNS TABLE
AS
RETURN
(
    SELECT p.ProductID, p.SKU, p.Name, p.UnitPrice
    FROM dbo.Products AS p
    WHERE p.CategoryID = @CategoryID
       OR p.CategoryID IN (SELECT c.CategoryID FROM dbo.Categories AS c
                           WHERE c.ParentCategoryID = @CategoryID)
)
GO
CREATE FUNCTION dbo.fn_StockByWarehouse (@WarehouseID smallint)
RETURNS TABLE
AS
RETURN
    SELECT i.ProductID, p.SKU, p.Name, i.QuantityOnHand, i.BinLocation
    FROM dbo.Inventory AS i
    INNER JOIN dbo.Products AS p ON p.ProductID = i.ProductID
    WHERE i.WarehouseID = @WarehouseID
GO
-- Statement of account: orders as debits, payments as credits.
CREATE FUNCTION dbo.fn_CustomerStatement (@CustomerID int, @From datetime, @To datetime)
RETURNS @Statement TABLE
(
    EntryDate datetime NOT NULL,
    EntryType varchar(10) NOT NULL,
    Reference varchar(40) NULL,
    Amount    money NOT NULL
)
AS
BEGIN
    INSERT INTO @Statement (EntryDate, EntryType, Reference, Amount)
    SELECT o.OrderDate, 'ORDER', CAST(o.OrderID AS varchar(40)), dbo.fn_OrderTotal(o.OrderID)
    FROM sales.Orders AS o
    WHERE o.CustomerID = @CustomerID AND o.Status <> 'C'
      AND o.OrderDate >= @From AND o.OrderDate < @To;

    INSERT INTO @Statement (EntryDate, EntryType, Reference, Amount)
    SELECT p.PaidOn, 'PAYMENT', p.Reference, -p.Amount
    FROM dbo.Payments AS p
    INNER JOIN sales.Orders AS o ON o.OrderID = p.OrderID
    WHERE o.CustomerID = @CustomerID
      AND p.PaidOn >= @From AND p.PaidOn < @To;

    RETURN;
END
GO
CREATE FUNCTION dbo.fn_FormatPhone (@Phone varchar(24))
RETURNS varchar(24)
AS
BEGIN
    RETURN REPLACE(REPLACE(REPLACE(LTRIM(RTRIM(@Phone)), ' ', ''), '-', ''), '.', '');
END
GO
/* Product catalogue as shown on the web shop: active products only. */
CREATE VIEW dbo.vw_ProductCatalog
AS
SELECT p.ProductID, p.SKU, p.Name, c.Name AS Category, s.CompanyName AS Supplier,
       p.UnitPrice, p.WeightKg
FROM dbo.Products AS p
INNER JOIN dbo.Categories AS c ON c.CategoryID = p.CategoryID
INNER JOIN dbo.Suppliers AS s ON s.SupplierID = p.SupplierID
WHERE p.Discontinued = 0   -- discontinued items are hidden
GO
CREATE VIEW dbo.vw_CustomerOrderSummary
AS
SELECT c.CustomerID, c.CustomerCode, c.LastName, c.FirstName, c.CompanyName,
       COUNT(DISTINCT o.OrderID) AS Orders,
       SUM(ol.Quantity * ol.UnitPrice * (1 - ol.Discount)) AS Revenue,
       MAX(o.OrderDate) AS LastOrderDate
FROM dbo.Customers AS c
LEFT OUTER JOIN sales.Orders AS o ON o.CustomerID = c.CustomerID AND o.Status <> 'C'
LEFT OUTER JOIN sales.OrderLines AS ol ON ol.OrderID = o.OrderID
GROUP BY c.CustomerID, c.CustomerCode, c.LastName, c.FirstName, c.CompanyName
GO
CREATE VIEW sales.vw_OpenOrders
AS
SELECT o.OrderID, o.OrderDate, o.RequiredDate, o.Status,
       c.CustomerCode, c.LastName AS CustomerName,
       e.FirstName + ' ' + e.LastName AS TakenBy
FROM sales.Orders AS o
INNER JOIN dbo.Customers AS c ON c.CustomerID = o.CustomerID
INNER JOIN dbo.Employees AS e ON e.EmployeeID = o.EmployeeID
WHERE o.Status IN ('N', 'P')
GO
CREATE VIEW dbo.vw_LowStock
AS
SELECT p.ProductID, p.SKU, p.Name, p.ReorderLevel, SUM(i.QuantityOnHand) AS OnHand
FROM dbo.Products AS p
INNER JOIN dbo.Inventory AS i ON i.ProductID = p.ProductID
WHERE p.Discontinued = 0
GROUP BY p.ProductID, p.SKU, p.Name, p.ReorderLevel
HAVING SUM(i.QuantityOnHand) < p.ReorderLevel
GO
CREATE VIEW dbo.vw_EmployeeDirectory
AS
SELECT e.EmployeeID, e.LastName + ', ' + e.FirstName AS FullName, e.JobTitle, e.Email,
       e.Extension, m.LastName + ', ' + m.FirstName AS Manager
FROM dbo.Employees AS e
LEFT OUTER JOIN dbo.Employees AS m ON m.EmployeeID = e.ManagerID
WHERE e.IsActive = 1
GO
-- Indexed view: number of products per category, kept up to date by the server.
CREATE VIEW dbo.vw_CategoryProductCount
WITH SCHEMABINDING
AS
SELECT p.CategoryID, COUNT_BIG(*) AS Products
FROM dbo.Products AS p
GROUP BY p.CategoryID
GO
CREATE UNIQUE CLUSTERED INDEX IXV_CategoryProductCount ON dbo.vw_CategoryProductCount (CategoryID)
GO
CREATE VIEW dbo.vw_NewsletterAudience
AS
SELECT n.Email, c.FirstName, c.LastName
FROM dbo.NewsletterSubscribers AS n
LEFT OUTER JOIN dbo.Customers AS c ON c.CustomerID = n.CustomerID
WHERE n.Confirmed = 1
GO
-- =============================================
-- usp_GetCustomerOrders
-- Lists the orders of one customer with their totals.
-- =============================================
CREATE PROCEDURE dbo.usp_GetCustomerOrders
    @CustomerID int,
    @IncludeCancelled bit = 0
AS
BEGIN
    SET NOCOUNT ON;

    -- newest orders first
    SELECT o.OrderID, o.OrderDate, o.Status, o.ShippedDate,
           dbo.fn_OrderTotal(o.OrderID) AS OrderTotal
    FROM sales.Orders AS o
    WHERE o.CustomerID = @CustomerID
      AND (@IncludeCancelled = 1 OR o.Status <> 'C')   /* cancelled orders on request */
    ORDER BY o.OrderDate DESC;
END
GO
CREATE PROCEDURE dbo.usp_UpdateProductPrice
    @ProductID int,
    @NewPrice money
AS
BEGIN
    SET NOCOUNT ON;
    IF @NewPrice < 0
    BEGIN
        RAISERROR ('The price of a product cannot be negative.', 16, 1);
        RETURN 1;
    END
    UPDATE dbo.Products SET UnitPrice = @NewPrice WHERE ProductID = @ProductID;
    IF @@ROWCOUNT = 0
    BEGIN
        RAISERROR ('Product %d does not exist.', 16, 1, @ProductID);
        RETURN 2;
    END
    RETURN 0;
END
GO
CREATE PROCEDURE dbo.usp_MonthlySalesReport
    @Year int,
    @Month int
AS
BEGIN
    SET NOCOUNT ON;
    DECLARE @From datetime, @To datetime;
    SET @From = CONVERT(datetime, CAST(@Year * 10000 + @Month * 100 + 1 AS char(8)), 112);
    SET @To = DATEADD(month, 1, @From);

    SELECT c.Name AS Category,
           COUNT(DISTINCT o.OrderID) AS Orders,
           SUM(ol.Quantity) AS Units,
           SUM(ol.Quantity * ol.UnitPrice * (1 - ol.Discount)) AS Revenue
    FROM sales.Orders AS o
    INNER JOIN sales.OrderLines AS ol ON ol.OrderID = o.OrderID
    INNER JOIN dbo.Products AS p ON p.ProductID = ol.ProductID
    INNER JOIN dbo.Categories AS c ON c.CategoryID = p.CategoryID
    WHERE o.OrderDate >= @From AND o.OrderDate < @To AND o.Status <> 'C'
    GROUP BY c.Name
    ORDER BY Revenue DESC;
END
GO
CREATE PROCEDURE dbo.usp_AddOrderLine
    @OrderID int,
    @ProductID int,
    @Quantity smallint,
    @Discount decimal(4,2) = 0
AS
BEGIN
    SET NOCOUNT ON;
    DECLARE @LineNumber smallint, @Price money;

    SELECT @Price = UnitPrice FROM dbo.Products WHERE ProductID = @ProductID AND Discontinued = 0;
    IF @Price IS NULL
    BEGIN
        RAISERROR ('Product %d is not available.', 16, 1, @ProductID);
        RETURN 1;
    END

    SELECT @LineNumber = ISNULL(MAX(LineNumber), 0) + 1
    FROM sales.OrderLines
    WHERE OrderID = @OrderID;

    INSERT INTO sales.OrderLines (OrderID, LineNumber, ProductID, Quantity, UnitPrice, Discount)
    VALUES (@OrderID, @LineNumber, @ProductID, @Quantity, @Price, @Discount);
    RETURN 0;
END
GO
CREATE PROCEDURE sales.usp_ShipOrder
    @OrderID int,
    @ShipperID int
AS
BEGIN
    SET NOCOUNT ON;
    UPDATE sales.Orders
    SET Status = 'S', ShipperID = @ShipperID, ShippedDate = GETDATE()
    WHERE OrderID = @OrderID AND Status IN ('N', 'P');
    IF @@ROWCOUNT = 0
        RAISERROR ('Order %d cannot be shipped.', 16, 1, @OrderID);
END
GO
CREATE PROCEDURE dbo.usp_ReorderReport
    @WarehouseID smallint = NULL
AS
BEGIN
    SET NOCOUNT ON;
    SELECT w.Code AS Warehouse, p.SKU, p.Name, i.QuantityOnHand, p.ReorderLevel,
           s.CompanyName AS Supplier, s.Email AS SupplierEmail
    FROM dbo.Inventory AS i
    INNER JOIN dbo.Warehouses AS w ON w.WarehouseID = i.WarehouseID
    INNER JOIN dbo.Products AS p ON p.ProductID = i.ProductID
    INNER JOIN dbo.Suppliers AS s ON s.SupplierID = p.SupplierID
    WHERE i.QuantityOnHand < p.ReorderLevel
      AND p.Discontinued = 0
      AND (@WarehouseID IS NULL OR i.WarehouseID = @WarehouseID)
    ORDER BY w.Code, p.SKU;
END
GO
/* =====================================================================================
   sales.usp_SalesDashboard

   The figures of the sales office's morning dashboard, as five result sets:
     1. totals of the period: orders, customers who ordered, revenue, average order value;
     2. revenue per sales territory against its pro-rata annual quota;
     3. the ten best-selling products by revenue;
     4. orders, units and revenue per product category;
     5. open orders that are past their required date.

   Parameters
     @From, @To  the period, @From included and @To excluded. Both default to the current
                 calendar month.

   Notes
     - Cancelled orders (status C) never count.
     - Revenue is the value of the order lines after discount, without freight.
     - The quota of a territory is its annual quota times the number of days of the period
       divided by 365.
     - Territories are matched to customers through the shipping zone of the customer
       (dbo.Regions) and the territory manager (sales.Regions). A customer whose zone has no
       territory is reported under the territory code '----'.
   ===================================================================================== */
CREATE PROCEDURE sales.usp_SalesDashboard
    @From datetime = NULL,
    @To datetime = NULL
AS
BEGIN
    SET NOCOUNT ON;

    IF @From IS NULL
        SET @From = DATEADD(month, DATEDIFF(month, 0, GETDATE()), 0);
    IF @To IS NULL
        SET @To = DATEADD(month, 1, @From);
    IF @To <= @From
    BEGIN
        RAISERROR ('The end of the period must come after its start.', 16, 1);
        RETURN 1;
    END

    -- 1. Totals of the period
    SELECT COUNT(DISTINCT o.OrderID) AS Orders,
           COUNT(DISTINCT o.CustomerID) AS Customers,
           SUM(ol.Quantity * ol.UnitPrice * (1 - ol.Discount)) AS Revenue,
           SUM(ol.Quantity * ol.UnitPrice * (1 - ol.Discount))
               / NULLIF(COUNT(DISTINCT o.OrderID), 0) AS AverageOrderValue
    FROM sales.Orders AS o
    INNER JOIN sales.OrderLines AS ol ON ol.OrderID = o.OrderID
    WHERE o.OrderDate >= @From AND o.OrderDate < @To
      AND o.Status <> 'C';

    -- 2. Revenue per territory against its quota
    SELECT ISNULL(t.RegionCode, '----') AS Territory,
           ISNULL(t.Name, N'(no territory)') AS TerritoryName,
           SUM(ol.Quantity * ol.UnitPrice * (1 - ol.Discount)) AS Revenue,
           MAX(t.AnnualQuota) * DATEDIFF(day, @From, @To) / 365 AS Quota
    FROM sales.Orders AS o
    INNER JOIN sales.OrderLines AS ol ON ol.OrderID = o.OrderID
    INNER JOIN dbo.Customers AS c ON c.CustomerID = o.CustomerID
    INNER JOIN dbo.Regions AS r ON r.RegionID = c.RegionID
    LEFT OUTER JOIN sales.Regions AS t
        ON t.Name LIKE N'%' + r.Name + N'%'
    WHERE o.OrderDate >= @From AND o.OrderDate < @To
      AND o.Status <> 'C'
    GROUP BY t.RegionCode, t.Name
    ORDER BY Revenue DESC;

    -- 3. The ten best-selling products
    SELECT TOP 10
           p.SKU,
           p.Name,
           c.Name AS Category,
           SUM(ol.Quantity) AS Units,
           SUM(ol.Quantity * ol.UnitPrice * (1 - ol.Discount)) AS Revenue
    FROM sales.OrderLines AS ol
    INNER JOIN sales.Orders AS o ON o.OrderID = ol.OrderID
    INNER JOIN dbo.Products AS p ON p.ProductID = ol.ProductID
    INNER JOIN dbo.Categories AS c ON c.CategoryID = p.CategoryID
    WHERE o.OrderDate >= @From AND o.OrderDate < @To
      AND o.Status <> 'C'
    GROUP BY p.SKU, p.Name, c.Name
    ORDER BY Revenue DESC, Units DESC;

    -- 4. Revenue per category
    SELECT c.Name AS Category,
           COUNT(DISTINCT o.OrderID) AS Orders,
           SUM(ol.Quantity) AS Units,
           SUM(ol.Quantity * ol.UnitPrice * (1 - ol.Discount)) AS Revenue
    FROM sales.OrderLines AS ol
    INNER JOIN sales.Orders AS o ON o.OrderID = ol.OrderID
    INNER JOIN dbo.Products AS p ON p.ProductID = ol.ProductID
    INNER JOIN dbo.Categories AS c ON c.CategoryID = p.CategoryID
    WHERE o.OrderDate >= @From AND o.OrderDate < @To
      AND o.Status <> 'C'
    GROUP BY c.Name
    ORDER BY Revenue DESC;

    -- 5. Open orders past their required date
    SELECT o.OrderID,
           o.OrderDate,
           o.RequiredDate,
           DATEDIFF(day, o.RequiredDate, GETDATE()) AS DaysLate,
           c.CustomerCode,
           ISNULL(c.CompanyName, c.FirstName + N' ' + c.LastName) AS Customer,
           dbo.fn_OrderTotal(o.OrderID) AS OrderTotal
    FROM sales.Orders AS o
    INNER JOIN dbo.Customers AS c ON c.CustomerID = o.CustomerID
    WHERE o.Status IN ('N', 'P')
      AND o.RequiredDate < GETDATE()
    ORDER BY o.RequiredDate;

    RETURN 0;
END
GO
CREATE PROCEDURE dbo.usp_DeactivateCustomer
    @CustomerID int
AS
BEGIN
    SET NOCOUNT ON;
    UPDATE dbo.Customers SET IsActive = 0 WHERE CustomerID = @CustomerID;
    DELETE FROM dbo.NewsletterSubscribers WHERE CustomerID = @CustomerID;
END
GO
CREATE TRIGGER dbo.trg_Products_PriceHistory
ON dbo.Products
AFTER UPDATE
AS
BEGIN
    SET NOCOUNT ON;
    IF UPDATE(UnitPrice)
        INSERT INTO dbo.PriceHistory (ProductID, ChangedOn, OldPrice, NewPrice, ChangedBy)
        SELECT i.ProductID, GETDATE(), d.UnitPrice, i.UnitPrice, SUSER_SNAME()
        FROM inserted AS i
        INNER JOIN deleted AS d ON d.ProductID = i.ProductID
        WHERE i.UnitPrice <> d.UnitPrice;
END
GO
CREATE TRIGGER sales.trg_Orders_Audit
ON sales.Orders
AFTER INSERT, UPDATE
AS
BEGIN
    SET NOCOUNT ON;
    INSERT INTO dbo.AuditLog (TableName, KeyValue, Action)
    SELECT 'sales.Orders', CAST(i.OrderID AS varchar(40)),
           CASE WHEN EXISTS (SELECT * FROM deleted) THEN 'U' ELSE 'I' END
    FROM inserted AS i;
END
GO
CREATE TRIGGER dbo.trg_Inventory_Counted
ON dbo.Inventory
AFTER UPDATE
AS
BEGIN
    SET NOCOUNT ON;
    IF UPDATE(QuantityOnHand)
        UPDATE inv
        SET LastCounted = GETDATE()
        FROM dbo.Inventory AS inv
        INNER JOIN inserted AS i ON i.WarehouseID = inv.WarehouseID AND i.ProductID = inv.ProductID;
END
GO
CREATE TRIGGER dbo.trg_Customers_Audit
ON dbo.Customers
AFTER UPDATE, DELETE
AS
BEGIN
    SET NOCOUNT ON;
    INSERT INTO dbo.AuditLog (TableName, KeyValue, Action)
    SELECT 'dbo.Customers', CAST(d.CustomerID AS varchar(40)),
           CASE WHEN EXISTS (SELECT * FROM inserted) THEN 'U' ELSE 'D' END
    FROM deleted AS d;
END
GO
