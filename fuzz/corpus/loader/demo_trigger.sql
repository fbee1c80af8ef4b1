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
