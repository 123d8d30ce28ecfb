// player and one gunship
{
	ZORBAT
	0,0,0
	0,5,0
	1,1,1
	1
	1,0.5,2
	0,0,1
	0.5,0.5,0.5
	3
	40
}
{
	ENEMY2
	// gunship
	0,90,0
	10,8,30
	2,2,2
	0
	3,1,3
	4
	20
}
