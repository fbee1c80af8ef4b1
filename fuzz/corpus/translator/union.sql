SELECT name FROM sysobjects WHERE xtype = 'U' UNION ALL SELECT name FROM sysusers EXCEPT SELECT name FROM sysdatabases WHERE dbid > 4
