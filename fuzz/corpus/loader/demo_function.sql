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
