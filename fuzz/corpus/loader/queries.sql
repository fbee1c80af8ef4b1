SELECT c.Name, LEN(c.Name), LEFT(c.Name, 2), RIGHT(c.Name, 1), CHARINDEX('s', c.Name), UPPER(c.Name),
  ISNULL(c.Region, 'none') + N'!', REPLICATE('ab', 3), SPACE(2), DATALENGTH(c.Balance),
  CAST(c.Balance AS decimal(10,1)), CONVERT(varchar(10), o.Placed, 112), YEAR(o.Placed),
  DATEADD(day, 1, o.Placed), DATEDIFF(month, '20230101', o.Placed), DATEPART(quarter, o.Placed)
FROM dbo.Customers c INNER JOIN dbo.Orders o ON o.CustomerId = c.CustomerId
WHERE c.Name LIKE '[A-C]%' ESCAPE '!' AND o.Shipped = CONVERT(bit, 0)
SELECT OBJECTPROPERTY(object_id('dbo.Orders'), 'TableHasPrimaryKey'), ident_seed('Orders'),
  INDEXPROPERTY(object_id('Orders'), 'IX_Orders_Placed', 'IsClustered'), USER_NAME(1), @@IDENTITY
IF EXISTS (SELECT * FROM sysobjects WHERE name = 'OpenOrders') SELECT TOP 1 * FROM OpenOrders
