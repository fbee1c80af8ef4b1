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
