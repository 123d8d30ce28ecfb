// Test stage: the craft and one
// stationary target straight
// ahead, one shot from cleared.
{
	ZORBAT
	0,0,0
	0,10,0
	1,1,1
	0
	2,1,2
	3
	10
}
{
	ENEMY1
	0,0,0
	0,10,70
	1,1,1
	0
	4,4,4
	6
	1
}
