INSERT dbo.Customers (CustomerId, Name) VALUES (90, N'x')
GO 99999999999999999999
