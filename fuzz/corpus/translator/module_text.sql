SELECT text FROM syscomments sc INNER JOIN sysobjects so ON sc.id = so.id WHERE so.name = N'GetOrder' AND USER_NAME(so.uid) = 'dbo' ORDER BY sc.colid
