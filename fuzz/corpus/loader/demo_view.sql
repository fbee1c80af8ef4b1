CREATE VIEW dbo.vw_ProductCatalog
AS
SELECT p.ProductID, p.SKU, p.Name, c.Name AS Category, s.CompanyName AS Supplier,
       p.UnitPrice, p.WeightKg
FROM dbo.Products AS p
INNER JOIN dbo.Categories AS c ON c.CategoryID = p.CategoryID
INNER JOIN dbo.Suppliers AS s ON s.SupplierID = p.SupplierID
WHERE p.Discontinued = 0   -- discontinued items are hidden
GO
