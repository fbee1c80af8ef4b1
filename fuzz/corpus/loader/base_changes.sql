ALTER TABLE dbo.Customers ADD CONSTRAINT UQ_Customers_Name UNIQUE (Name)
CREATE STATISTICS ST_Orders_Shipped ON dbo.Orders (Shipped)
INSERT INTO dbo.Orders (CustomerId, Placed, Shipped) VALUES (1, '20240301', 1)
UPDATE dbo.Customers SET Balance = Balance + 1.25 WHERE CustomerId = 1
GO
IF NOT EXISTS (SELECT * FROM sysobjects WHERE name = 'Notes' AND xtype = 'U')
  CREATE TABLE dbo.Notes (NoteId int NOT NULL, Body ntext NULL, Stamp timestamp)
GO
CREATE TRIGGER dbo.trOrders ON dbo.Orders FOR INSERT AS
  UPDATE dbo.Customers SET Region = 'S' WHERE CustomerId IN (SELECT CustomerId FROM inserted)
GO
INSERT INTO dbo.Orders (CustomerId, Placed) VALUES (1, GETDATE())
GO 2
