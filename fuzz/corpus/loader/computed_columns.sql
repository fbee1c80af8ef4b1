CREATE TABLE dbo.Lines (Id int NOT NULL PRIMARY KEY, Qty int NOT NULL, Price decimal(9,2) NOT NULL,
  First varchar(10) NULL, [Last Name] nvarchar(20) NULL,
  Total AS (Qty * Price),
  FullName AS First + ' ' + [Last Name],
  Safe AS ISNULL(Qty * 2, 0),
  Size AS (CASE WHEN Qty > 10 THEN 'many' ELSE 'few' END),
  Code AS CONVERT(varchar(10), Id) + '-' + LEFT(First, 2))
GO
INSERT dbo.Lines (Id, Qty, Price, First, [Last Name]) VALUES (1, 3, 1.10, 'Ann', N'Lee')
INSERT dbo.Lines VALUES (2, 20, 2.5, 'Bo', NULL)
GO
ALTER TABLE dbo.Lines ADD Doubled AS (Price * 2)
GO
CREATE TABLE dbo.Kept (a int NOT NULL, b AS (a * 3) PERSISTED NOT NULL, c AS (a - 1) PERSISTED)
GO
