SELECT COUNT (*) AS RecsCount FROM dbo.sysobjects where xtype = 'U' AND OBJECTPROPERTY(id, N'IsMSShipped') = 0
