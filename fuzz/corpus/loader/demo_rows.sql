CREATE TABLE dbo.Regions (
    RegionID     tinyint IDENTITY(1,1) NOT NULL,
    Name         nvarchar(40) NOT NULL,
    ShippingRate money NOT NULL CONSTRAINT DF_Regions_ShippingRate DEFAULT (0),
    CONSTRAINT PK_Regions PRIMARY KEY CLUSTERED (RegionID),
    CONSTRAINT UQ_Regions_Name UNIQUE NONCLUSTERED (Name)
)
GO
GO
INSERT INTO dbo.Regions (Name, ShippingRate) VALUES (N'North', 6.95)
INSERT INTO dbo.Regions (Name, ShippingRate) VALUES (N'Midlands', 5.95)
INSERT INTO dbo.Regions (Name, ShippingRate) VALUES (N'South East', 5.95)
INSERT INTO dbo.Regions (Name, ShippingRate) VALUES (N'South West', 6.95)
INSERT INTO dbo.Regions (Name, ShippingRate) VALUES (N'Scotland', 8.95)
INSERT INTO dbo.Regions (Name, ShippingRate) VALUES (N'Wales', 7.50)
