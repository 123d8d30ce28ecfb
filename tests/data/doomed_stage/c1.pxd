// Test stage: the craft starts
// with no life left, so the
// first play frame is game over.
{
	ZORBAT
	0,0,0
	0,10,0
	1,1,1
	0
	2,1,2
	3
	0
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
